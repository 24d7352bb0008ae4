// explode is not built yet (replaced by the decoder).
#include "engine/methods/explode.h"

int explode(EngineState&) { return method_not_built; }
