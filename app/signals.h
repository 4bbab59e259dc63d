// The signals a user ends the show with (Ctrl+C, kill, a closed terminal), taken so
// that the show can leave the game mode and close the music first.
#pragma once

// Installs handlers for SIGINT, SIGTERM and SIGHUP that only note the signal; one that
// the show was started with ignored stays ignored. On Windows: a console control handler
// that notes Ctrl+C, Ctrl+Break, a closed console, a logoff or a shutdown.
void watchStopSignals();

// The stop signal noted since start-up, or 0. Read by the main loop once a frame.
int stopSignal();

// Ends the process by the signal, as if it had not been caught: the parent sees the
// same status as without the handlers. On Windows the exit code is 0xC000013A
// (STATUS_CONTROL_C_EXIT), as for a console program ended by Ctrl+C. Does not return.
[[noreturn]] void endBySignal(int signal);
