// Standard output through a fixed ring of pending bytes, written only as far as the
// reader takes without blocking. On POSIX systems the descriptor's own flags are left
// alone (a terminal shares them with the shell), so each write waits for poll() to say
// it will not block. Windows has no such test for a pipe: there a writer thread, started
// once, makes the blocking writes, and a stuck reader stalls that thread, never a frame.
#include "app/output.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>

static char outputRing[outputRingBytes];  // pending bytes from ringStart on, wrapping
static int ringStart;                     // 0..outputRingBytes-1; written by the writer
static int ringUsed;                      // pending bytes, 0..outputRingBytes
static bool outputGone;                   // a write failed for good: nothing more is queued

// Most bytes per write: a pipe that poll() calls writable takes this many at once.
static const int writeChunk = 512;

// The pending bytes up to the ring's end, at most writeChunk of them.
static int nextChunk() {
  int chunk = outputRingBytes - ringStart;
  if (chunk > ringUsed) chunk = ringUsed;
  return chunk > writeChunk ? writeChunk : chunk;
}

// Appends the line behind the pending bytes if it fits whole; else (a stuck reader has let
// the queue fill) it is dropped.
static void queueLine(const char* line, int length) {
  if (length > outputRingBytes - ringUsed) return;
  int end = (ringStart + ringUsed) % outputRingBytes;
  for (int k = 0; k < length; ++k) {
    outputRing[end] = line[k];
    end = end + 1 == outputRingBytes ? 0 : end + 1;
  }
  ringUsed += length;
}

#ifdef _WIN32
static HANDLE outputHandle;           // standard output as the process started or attached it
static HANDLE ringFilled;             // auto-reset event: bytes were queued
static CRITICAL_SECTION ringLock;     // guards ringStart, ringUsed and outputGone
static bool writerRunning;            // the writer thread exists (else nothing is queued)
static const DWORD exitWaitMs = 500;  // how long exit waits for queued lines to leave

// The writer thread: writes whatever is queued, waiting on the reader as long as it takes.
// Only it moves ringStart; the main thread only appends behind the pending bytes.
static DWORD WINAPI writeQueuedOutput(void*) {
  for (;;) {
    WaitForSingleObject(ringFilled, INFINITE);
    for (;;) {
      EnterCriticalSection(&ringLock);
      const int start = ringStart, chunk = nextChunk();
      LeaveCriticalSection(&ringLock);
      if (chunk == 0) break;
      DWORD written = 0;
      const bool wrote = WriteFile(outputHandle, outputRing + start, DWORD(chunk), &written, nullptr);
      EnterCriticalSection(&ringLock);
      if (!wrote) {  // the reader has gone, or the stream is broken
        outputGone = true;
        ringUsed = 0;
      } else {
        ringStart = (start + int(written)) % outputRingBytes;
        ringUsed -= int(written);
      }
      LeaveCriticalSection(&ringLock);
    }
  }
}

// At exit (Escape, a stop event, the end of main) the lines already queued still go out,
// unless the reader is stuck: then they are lost after exitWaitMs.
static void waitForQueuedOutput() {
  for (DWORD waited = 0; waited < exitWaitMs; waited += 5) {
    EnterCriticalSection(&ringLock);
    const bool empty = ringUsed == 0;
    LeaveCriticalSection(&ringLock);
    if (empty) return;
    Sleep(5);
  }
}

static bool usable(HANDLE handle) { return handle && handle != INVALID_HANDLE_VALUE; }

// A program of the GUI subsystem starts without a console, so a double click opens none.
// Started from a console, it takes its parent's (wine has attached it already): the
// standard handles that were not redirected (to a file or a pipe) are opened on it.
static void attachParentConsole() {
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
  const DWORD which[2] = {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  FILE* streams[2] = {stdout, stderr};
  for (int i = 0; i < 2; ++i) {
    if (usable(GetStdHandle(which[i]))) continue;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (!usable(console)) continue;
    SetStdHandle(which[i], console);
    freopen("CONOUT$", "w", streams[i]);
  }
}

void protectStandardStreams() {
  attachParentConsole();
  outputHandle = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!usable(outputHandle)) return;  // no output at all: lines are dropped
  InitializeCriticalSection(&ringLock);
  ringFilled = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (!ringFilled || !CreateThread(nullptr, 64 * 1024, writeQueuedOutput, nullptr, 0, nullptr)) return;
  writerRunning = true;
  atexit(waitForQueuedOutput);
}

void flushOutput() {
  if (writerRunning) SetEvent(ringFilled);
}

void writeOutputLine(const char* line) {
  const int length = int(strlen(line));
  if (!writerRunning || length > outputRingBytes) return;
  EnterCriticalSection(&ringLock);
  if (!outputGone) queueLine(line, length);
  LeaveCriticalSection(&ringLock);
  SetEvent(ringFilled);
}
#else
void protectStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() returns the lowest free number, which is fd: every lower one is open.
    const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened != fd && opened >= 0) close(opened);
  }
  signal(SIGPIPE, SIG_IGN);
}

void flushOutput() {
  while (ringUsed > 0) {
    pollfd out = {1, POLLOUT, 0};
    if (poll(&out, 1, 0) != 1) return;  // the reader is behind (or a signal came)
    const ssize_t written = write(1, outputRing + ringStart, size_t(nextChunk()));
    if (written < 0) {
      if (errno == EINTR || errno == EAGAIN) return;
      outputGone = true;  // EPIPE: the reader has gone; or the stream is broken
      ringUsed = 0;
      return;
    }
    ringStart = (ringStart + int(written)) % outputRingBytes;
    ringUsed -= int(written);
  }
}

void writeOutputLine(const char* line) {
  const int length = int(strlen(line));
  if (outputGone || length > outputRingBytes) return;
  if (length > outputRingBytes - ringUsed) flushOutput();
  queueLine(line, length);
  flushOutput();
}
#endif
