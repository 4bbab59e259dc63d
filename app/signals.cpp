// The stop requests: POSIX signals, or on Windows the console's control events. Either
// way the handler only notes the request; the main loop acts on it.
#include "app/signals.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdlib>
#else
#include <signal.h>
#include <unistd.h>
#endif

#ifdef _WIN32
static volatile LONG noted;  // the first control event + 1, 0 until one comes

// Runs on a thread of its own. For Ctrl+C and Ctrl+Break it returns at once, handled. For
// a closed console, a logoff or a shutdown Windows ends the process as soon as it returns:
// it waits instead, while the main loop closes the music and ends the process itself.
static BOOL WINAPI onConsoleControl(DWORD event) {
  InterlockedCompareExchange(&noted, LONG(event) + 1, 0);
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(INFINITE);
  return TRUE;
}

void watchStopSignals() { SetConsoleCtrlHandler(onConsoleControl, TRUE); }

int stopSignal() { return int(noted); }

// The status of a console program ended by Ctrl+C (STATUS_CONTROL_C_EXIT), for every
// control event: exit() lets the queued output go out first.
void endBySignal(int) { exit(int(0xC000013Au)); }
#else
static volatile sig_atomic_t noted;  // the first stop signal, 0 until one comes

static void onStopSignal(int signal) {
  if (!noted) noted = signal;
}

// Takes the signal unless it was ignored when the show started (nohup ignores SIGHUP).
static void watch(int signal) {
  struct sigaction action = {};
  if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN) return;
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

void watchStopSignals() {
  watch(SIGINT);
  watch(SIGTERM);
  watch(SIGHUP);
}

int stopSignal() { return noted; }

void endBySignal(int signal) {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  raise(signal);
  _exit(128 + signal);  // only if the signal was blocked
}
#endif
