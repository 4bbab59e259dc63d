// The signals a user ends the show with (Ctrl+C, kill, a closed terminal), taken so
// that the show can leave the game mode and close the music first.
#pragma once

// Installs handlers for SIGINT, SIGTERM and SIGHUP that only note the signal; one that
// the show was started with ignored stays ignored.
void watchStopSignals();

// The stop signal noted since start-up, or 0. Read by the main loop once a frame.
int stopSignal();

// Ends the process by the signal, as if it had not been caught: the parent sees the
// same status as without the handlers. Does not return.
[[noreturn]] void endBySignal(int signal);
