// velsetup-lab: runs a script on every kind of machine it will meet.
#include <cstdio>

int main() {
  std::fputs("velsetup-lab: not built yet\n", stderr);
  return 2;
}
