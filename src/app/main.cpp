// tovra2: the service tool.
#include "app/program.h"

int main(int argc, char* argv[]) {
  return RunProgram(argc, argv);
}
