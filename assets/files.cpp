// The show's file lookup: the working directory, then the program's own folders.
#include "assets/files.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#ifdef _WIN32
#include <windows.h>
#endif
#include <unistd.h>

static const int folderCount = 2;  // the program's folder, then its ../share/kessivar

// Fallback folders, resolved on the first lookup; empty when /proc/self/exe cannot be read.
static char folders[folderCount][showPathMax];
static bool foldersResolved;               // folders[] holds its answer
static bool workingFolderOnly;             // set by useWorkingFolderOnly
static bool folderAnnounced[folderCount];  // its stderr line was written
static char foundPath[showPathMax];        // showFilePath's result when it is a fallback copy

#ifdef _WIN32
// Fills folders[0] with the folder of the running program, in UTF-8 (the program's
// manifest makes UTF-8 its code page, so the C library opens that path as it is). There
// is no installed layout with a share folder on Windows.
static void resolveFolders() {
  foldersResolved = true;
  wchar_t exe[showPathMax];
  const DWORD length = GetModuleFileNameW(nullptr, exe, showPathMax);
  if (length == 0 || length >= DWORD(showPathMax)) return;  // failed, or cut short
  wchar_t* slash = wcsrchr(exe, L'\\');
  if (!slash) return;
  *slash = L'\0';
  if (!WideCharToMultiByte(CP_UTF8, 0, exe, -1, folders[0], showPathMax, nullptr, nullptr))
    folders[0][0] = '\0';
}
#else
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
#endif

const char* showFilePath(const char* name) {
  if (workingFolderOnly || access(name, F_OK) == 0) return name;
  if (!foldersResolved) resolveFolders();
  for (int i = 0; i < folderCount; ++i) {
    if (!folders[i][0]) continue;
    const int length = snprintf(foundPath, sizeof foundPath, "%s/%s", folders[i], name);
    if (length >= showPathMax || access(foundPath, F_OK) != 0) continue;
    if (!folderAnnounced[i]) {
      folderAnnounced[i] = true;
      fprintf(stderr, "kessivar: reading the show's files from %s (not in the working folder)\n", folders[i]);
    }
    return foundPath;
  }
  return name;
}

void useWorkingFolderOnly() { workingFolderOnly = true; }
