#include <cstdio>
int main() { std::puts("keltool"); return 0; }
