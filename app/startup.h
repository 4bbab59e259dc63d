// The show's start-up in its fixed order, and the run-through that brings the show to any
// frame on a virtual clock. Every entry point (the program, the capture, the page, the
// benchmarks) starts the show through here and adds only what is its own.
#pragma once
#include <cstdint>

// Frames per second of show time where no display sets the pace: the capture's default
// and the page's stills.
constexpr int showFrameRate = 60;

// The steps of the program's start-up that an entry point may hook, in their order.
enum StartupStep {
  startupMusicOpened,         // standard streams, --help and --version, stop signals, music
  startupSurfaceOpened,       // command line, toolkit, the full-screen surface or the window
  startupPicturesLoaded,      // loadShowImages
  startupScrollerReady,       // initScroller
  startupCallbacksRegistered  // registerCallbacks; the music starts right after
};

// The program's start-up, up to the main loop: protectStandardStreams,
// answerHelpOrVersion, watchStopSignals (acted on by onIdle once the main loop runs),
// openMusic, readCommandLine, glutInit (closing the window from the window manager ends
// the main loop), a double-buffered display mode, openDisplaySurface, loadShowImages,
// initScroller, registerCallbacks, startMusic. onStep, when given, is called after each
// StartupStep: a benchmark's timestamps, or its display callback in place of onDisplay.
void startShow(int argc, char** argv, void (*onStep)(StartupStep done) = nullptr);

// The toolkit's main loop until it returns (the window was closed), then the music is
// closed. Returns the program's exit status, 0.
int runShow();

// What any surface draws the show from: loadShowImages, then initScroller. Needs a
// current GL context; the capture and the page call it after making theirs.
void loadShow();

// The show's clock reading for frame number frame (frame 0 at show time 0) at fps
// frames per second: what the toolkit would report, in whole milliseconds, rounded.
uint32_t frameMs(int64_t frame, int fps);

// The show frame nearest to a show time in seconds.
int64_t frameAt(double seconds, int fps);

// Draws show frame number frame at fps frames per second on the virtual clock. A frame
// that is not shown is drawn with every pixel scissored away: the composer's rate
// re-roll and the scroller still see it, which is all the history the show has, so
// running every frame from 0 brings any later frame to what a run from 0 shows.
void runShowFrame(int64_t frame, int fps, bool shown);
