/* console_ctrl.exe EVENT READY PROGRAM [ARGUMENT]: starts the program in this console and,
   once its window is there and the file READY exists, sends the console control event
   EVENT (0 Ctrl+C, 1 Ctrl+Break). The window comes before the pictures and the music, so
   the caller makes READY once the show plays. Prints the program's exit code in hex, or
   "running" when it has not ended 10 s later. The waits stretch by KESSIVAR_TIME_FACTOR. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  char command[1024];
  STARTUPINFOA start = {0};
  PROCESS_INFORMATION child;
  const char* factor = getenv("KESSIVAR_TIME_FACTOR");
  const double stretch = factor && atof(factor) > 0 ? atof(factor) : 1;
  start.cb = sizeof start;
  snprintf(command, sizeof command, "\"%s\" %s", argc > 3 ? argv[3] : "", argc > 4 ? argv[4] : "");
  if (argc < 4 || !CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &start, &child)) return 1;
  const ULONGLONG end = GetTickCount64() + (ULONGLONG)(60000 * stretch);
  while (GetTickCount64() < end && !(FindWindowA(NULL, "Kessivar 2002 - 01.-04. August 2002") &&
                                     GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES))
    Sleep(100);
  SetConsoleCtrlHandler(NULL, TRUE); /* the event reaches this program too: ignored here */
  GenerateConsoleCtrlEvent((DWORD)atoi(argv[1]), 0);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(child.hProcess, (DWORD)(10000 * stretch)) == WAIT_OBJECT_0)
    GetExitCodeProcess(child.hProcess, &code);
  if (code == STILL_ACTIVE) TerminateProcess(child.hProcess, 1);
  printf(code == STILL_ACTIVE ? "running\n" : "%lx\n", code);
  return 0;
}
