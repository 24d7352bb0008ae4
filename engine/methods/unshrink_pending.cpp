// unshrink is not built yet (replaced by the decoder).
#include "engine/methods/unshrink.h"

int unshrink(EngineState&) { return method_not_built; }
