// inflate is not built yet (replaced by the decoder).
#include "engine/methods/inflate.h"

int inflate(EngineState&) { return method_not_built; }
void release_fixed_tables(EngineState&) {}
