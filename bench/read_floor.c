/* The floor for reading an object file: allocate the file's size, read the whole file into that
 * block and touch every page. No reader of the format can do less work, so its time is what
 * `keltool check` is measured against (see run_object_file_bench.sh).
 *
 * With OUT it is also the floor for a durable rewrite: the block is written to OUT and flushed
 * to disk (fsync), which is the least `keltool rewrite` has to do after reading.
 *
 *   read_floor FILE [OUT]
 */
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int write_out(const char* path, const unsigned char* block, size_t n) {
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) {
    fprintf(stderr, "read_floor: %s: %s\n", path, strerror(errno));
    return 0;
  }
  size_t done = 0;
  while (done < n) {
    ssize_t w = write(fd, block + done, n - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) break;
    done += (size_t)w;
  }
  int ok = done == n && fsync(fd) == 0;
  if (close(fd) != 0) ok = 0;
  if (!ok) fprintf(stderr, "read_floor: cannot write %s: %s\n", path, strerror(errno));
  return ok;
}

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    fprintf(stderr, "usage: read_floor FILE [OUT]\n");
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
  if (argc == 3 && !write_out(argv[2], block, got)) return 2;
  free(block);
  return got == size ? 0 : 1;
}
