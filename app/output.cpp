// Standard output through a fixed ring of pending bytes, written only as far as the
// reader takes without blocking. The descriptor's own flags are left alone (a terminal
// shares them with the shell), so each write waits for poll() to say it will not block.
#include "app/output.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

static char outputRing[outputRingBytes];  // pending bytes from ringStart on, wrapping
static int ringStart;                     // 0..outputRingBytes-1; written by flushOutput
static int ringUsed;                      // pending bytes, 0..outputRingBytes
static bool outputGone;                   // a write failed for good: nothing more is queued

// Most bytes per write: a pipe that poll() calls writable takes this many at once.
static const int writeChunk = 512;

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
    int chunk = outputRingBytes - ringStart;  // up to the ring's end
    if (chunk > ringUsed) chunk = ringUsed;
    if (chunk > writeChunk) chunk = writeChunk;
    const ssize_t written = write(1, outputRing + ringStart, size_t(chunk));
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
  if (length > outputRingBytes - ringUsed) return;  // stuck reader, full queue
  int end = (ringStart + ringUsed) % outputRingBytes;
  for (int k = 0; k < length; ++k) {
    outputRing[end] = line[k];
    end = end + 1 == outputRingBytes ? 0 : end + 1;
  }
  ringUsed += length;
  flushOutput();
}
