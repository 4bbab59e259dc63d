// The start-up steps that only the program's entry point takes, in order.
#pragma once

// The window title, exactly.
inline constexpr const char* showTitle = "Kessivar 2002 - 01.-04. August 2002";

// Step 2: full screen unless argv[1] begins with "-window".
void readCommandLine(int argc, char** argv);

// Step 5: the full-screen game mode (or, where it cannot be had, a full-screen
// window) with the cursor hidden, or the 640x480 window at (100, 100).
void openDisplaySurface();

// Step 8: reshape, keyboard, display and idle, in that order.
void registerCallbacks();
