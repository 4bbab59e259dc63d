// The reading end of a pipe, as a user's pipeline would hold it: the pipe shrunk to one
// page (4096 bytes) so that a few hundred lines fill it.
// usage: pipe_reader <fifo> <out file> keep|stuck|first-line
//   keep        copies everything into the file as it comes, until the writer closes
//   stuck       opens the pipe and never reads (ends when killed)
//   first-line  copies the first line, then closes the pipe and exits
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const int in = open(argv[1], O_RDONLY);
  const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0) return 1;
  fcntl(in, F_SETPIPE_SZ, 4096);
  if (strcmp(argv[3], "stuck") == 0) {
    for (;;) pause();
  }
  const bool firstLine = strcmp(argv[3], "first-line") == 0;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(in, buffer, firstLine ? 1 : sizeof buffer);
    if (n <= 0) return 0;
    if (write(out, buffer, size_t(n)) != n) return 1;
    if (firstLine && buffer[0] == '\n') return 0;
  }
}
