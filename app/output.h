// The program's standard streams, safe however the show is started: closed streams, a
// reader that goes away, a reader that stops reading.
#pragma once

// The first start-up step, before anything opens a file or a connection: descriptors
// 0, 1 and 2 that are closed are opened on /dev/null, so that no file, sound device or
// X connection takes one of their numbers and receives the show's output. SIGPIPE is
// ignored: a line written to a reader that has gone fails instead of ending the show.
// On Windows: attaches to the console of the parent, if any, for the standard handles
// that were not redirected, and starts the thread that writes standard output; the
// lines queued at exit still go out, unless the reader is stuck.
void protectStandardStreams();

// Queues one line (newline included, at most outputRingBytes long) for standard
// output and writes at once what the reader takes without waiting. Lines leave whole
// and in order. When a stuck reader has let the queue fill, the line is dropped; once
// the reader has gone (or the stream fails), every line is.
void writeOutputLine(const char* line);

// Writes what is queued, as far as the reader takes it without waiting; once a frame.
void flushOutput();

// Bytes of output the queue holds: some 450 "nofade N" lines.
constexpr int outputRingBytes = 4096;
