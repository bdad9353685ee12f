// The editor's entry point.
#include <cstdio>

int main() {
  std::puts("keledit: the editor window is not built yet; see keltool --help");
  return 0;
}
