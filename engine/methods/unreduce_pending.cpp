// unreduce is not built yet (replaced by the decoder).
#include "engine/methods/unreduce.h"

int unreduce(EngineState&) { return method_not_built; }
