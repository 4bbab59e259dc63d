/* console_ctrl.exe EVENT PROGRAM [ARGUMENT]: starts the program in this console and, once
   its window is there, sends the console control event EVENT (0 Ctrl+C, 1 Ctrl+Break).
   Prints the program's exit code in hex, or "running" when it has not ended 10 s later. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  char command[1024];
  STARTUPINFOA start = {0};
  PROCESS_INFORMATION child;
  start.cb = sizeof start;
  snprintf(command, sizeof command, "\"%s\" %s", argc > 2 ? argv[2] : "", argc > 3 ? argv[3] : "");
  if (argc < 3 || !CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &start, &child)) return 1;
  for (int i = 0; i < 300 && !FindWindowA(NULL, "Kessivar 2002 - 01.-04. August 2002"); ++i) Sleep(100);
  Sleep(500);                        /* a few frames into the show */
  SetConsoleCtrlHandler(NULL, TRUE); /* the event reaches this program too: ignored here */
  GenerateConsoleCtrlEvent((DWORD)atoi(argv[1]), 0);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(child.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(child.hProcess, &code);
  if (code == STILL_ACTIVE) TerminateProcess(child.hProcess, 1);
  printf(code == STILL_ACTIVE ? "running\n" : "%lx\n", code);
  return 0;
}
