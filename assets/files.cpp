// The show's file lookup: the working directory, then the program's own folders.
#include "assets/files.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

static const int folderCount = 2;  // the program's folder, then its ../share/kessivar

// Fallback folders, resolved on the first lookup; empty when /proc/self/exe cannot be read.
static char folders[folderCount][showPathMax];
static bool foldersResolved;          // folders[] holds its answer
static bool workingFolderOnly;        // set by useWorkingFolderOnly
static bool folderAnnounced[folderCount];  // its stderr line was written
static char foundPath[showPathMax];   // showFilePath's result when it is a fallback copy

// Fills folders[] from the running program's resolved path.
static void resolveFolders() {
  foldersResolved = true;
  char exe[showPathMax];
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (length <= 0) return;
  exe[length] = '\0';
  char* slash = strrchr(exe, '/');
  if (!slash) return;
  *slash = '\0';
  const char* folder = slash == exe ? "/" : exe;
  snprintf(folders[0], showPathMax, "%s", folder);
  char installed[showPathMax + 32];
  snprintf(installed, sizeof installed, "%s/../share/kessivar", exe);
  char resolved[PATH_MAX];
  if (realpath(installed, resolved) && strlen(resolved) < size_t(showPathMax))
    snprintf(folders[1], showPathMax, "%s", resolved);
}

const char* showFilePath(const char* name) {
  if (workingFolderOnly || access(name, F_OK) == 0) return name;
  if (!foldersResolved) resolveFolders();
  for (int i = 0; i < folderCount; ++i) {
    if (!folders[i][0]) continue;
    const int length = snprintf(foundPath, sizeof foundPath, "%s/%s", folders[i], name);
    if (length >= showPathMax || access(foundPath, F_OK) != 0) continue;
    if (!folderAnnounced[i]) {
      folderAnnounced[i] = true;
      fprintf(stderr, "kessivar: reading the show's files from %s (not in the working folder)\n",
              folders[i]);
    }
    return foundPath;
  }
  return name;
}

void useWorkingFolderOnly() { workingFolderOnly = true; }
