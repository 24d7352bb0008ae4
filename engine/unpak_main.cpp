// unpak: the extraction engine as a command-line program. The exit status is
// the engine's result code.
#include "engine/engine_main.h"

int main(int argc, char** argv) {
  return engine_main(argc, argv);
}
