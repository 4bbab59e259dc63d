#include "app/signals.h"

#include <signal.h>
#include <unistd.h>

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
