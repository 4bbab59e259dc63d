// Where the show's files are read from. A file is looked up, in this order, in the
// working directory, in the folder that holds the running program (its resolved path,
// so also when started through a symlink) and in <that folder>/../share/kessivar (an
// installed program). On Windows the program's folder is the only fallback, and paths
// are UTF-8.
#pragma once

// Longest path showFilePath returns, terminator included; longer candidates are skipped.
constexpr int showPathMax = 4096;

// The path to open the show's file `name` (a plain file name) by: `name` itself when it is
// in the working directory or nowhere else (so the loader names the missing file), else
// the first fallback folder's copy. The result lives in a fixed buffer until the next
// call. The first use of each fallback folder is said once on stderr. Start-up only.
const char* showFilePath(const char* name);

// From now on showFilePath looks in the working directory only (for a caller that was
// told which folder to read).
void useWorkingFolderOnly();
