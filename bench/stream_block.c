/* The floor of a whole-process lookup: opens the table, reads the block
 * front to back through one 128 KiB buffer, closes it.
 *
 *   stream_block TABLE OFFSET LENGTH
 */
#include <stdio.h>
#include <stdlib.h>

enum { kBufferSize = 128 * 1024 };

int main(int argc, char** argv) {
  static unsigned char buffer[kBufferSize];
  if (argc != 4) {
    fprintf(stderr, "usage: stream_block TABLE OFFSET LENGTH\n");
    return 2;
  }
  const long offset = strtol(argv[2], NULL, 10);
  unsigned long left = strtoul(argv[3], NULL, 10);
  FILE* f = fopen(argv[1], "rb");
  if (f == NULL) return 1;
  setvbuf(f, NULL, _IONBF, 0);
  if (fseek(f, offset, SEEK_SET) != 0) return 1;
  unsigned sum = 0;
  while (left > 0) {
    const size_t want = left < kBufferSize ? (size_t)left : kBufferSize;
    const size_t got = fread(buffer, 1, want, f);
    if (got == 0) break;
    sum += buffer[got - 1];
    left -= got;
  }
  fclose(f);
  return left == 0 && sum != 0xFFFFFFFFu ? 0 : 1;
}
