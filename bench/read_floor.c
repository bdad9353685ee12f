/* The floor for reading an object file: allocate the file's size, read the whole file into that
 * block and touch every page. No reader of the format can do less work, so its time is what
 * `keltool check` is measured against (see run_object_file_bench.sh).
 *
 *   read_floor FILE
 */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: read_floor FILE\n");
    return 2;
  }
  int fd = open(argv[1], O_RDONLY);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    fprintf(stderr, "read_floor: %s: %s\n", argv[1], strerror(errno));
    return 2;
  }
  size_t size = (size_t)st.st_size;
  unsigned char* block = malloc(size ? size : 1);
  if (!block) {
    fprintf(stderr, "read_floor: cannot allocate %zu bytes\n", size);
    return 2;
  }
  size_t got = 0;
  while (got < size) {
    ssize_t n = read(fd, block + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += (size_t)n;
  }
  close(fd);
  /* One byte of every page, so the reads cannot be dropped as unused. */
  unsigned long sum = 0;
  for (size_t i = 0; i < got; i += 4096) sum += block[i];
  printf("%zu bytes, sum %lu\n", got, sum);
  free(block);
  return got == size ? 0 : 1;
}
