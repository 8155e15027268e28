// A program that crashes on purpose: under the tests' Wine it must end at once,
// with a failure, instead of waiting in a debugger.
#include <cstdio>

int main() {
  std::puts("crashing on purpose");
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
