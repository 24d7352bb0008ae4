// Engine entry (placeholder until the option parser and archive loop land).
#include "engine/engine_main.h"

#include <cstdio>

#include "engine/engine_state.h"

EngineState engine;

int engine_main(int /*argc*/, char** /*argv*/) {
  std::fprintf(stderr, "unpak: not yet supported\n");
  return bad_options;
}
