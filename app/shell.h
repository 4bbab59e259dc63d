// The program's own start-up pieces, the toolkit callbacks and shutdown. startShow
// (app/startup.h) takes them in their fixed order with the other modules' steps.
#pragma once

// The window title, exactly.
inline constexpr const char* showTitle = "Kessivar 2002 - 01.-04. August 2002";

// Full screen unless argv[1] begins with "-window".
void readCommandLine(int argc, char** argv);

// The full-screen game mode (or, where it cannot be had or on XWayland, a full-screen
// window) with the cursor hidden, or the 640x480 window at (100, 100).
void openDisplaySurface();

// Registers reshape, keyboard, display and idle, in that order.
void registerCallbacks();

// Toolkit callbacks.
void onDisplay();
void onIdle();
void onKeyboard(unsigned char key, int x, int y);
void onReshape(int width, int height);
