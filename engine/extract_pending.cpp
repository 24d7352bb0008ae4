// Extraction is not built yet: it says so and never claims success.
#include <cstdio>

#include "engine/extract.h"

int extract_members(EngineState&) {
  std::fprintf(stderr, "unpak: extraction and testing are not yet supported\n");
  return bad_options;
}
