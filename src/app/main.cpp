// The editor's entry point.
#include "app/owl_main.h"

int main(int argc, char* argv[]) {
  return kel::OwlMain(argc, argv);
}
