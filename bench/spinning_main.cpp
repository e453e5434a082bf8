// tovra2-spinning: the program with its waits spinning instead of blocking, as a literal
// reading of the algorithm has them. The benchmark's baseline for processor time; not installed.
#include "app/program.h"
#include "platform/clock.h"

int main(int argc, char* argv[]) {
  platform::SetSpinningWaits(true);
  return RunProgram(argc, argv);
}
