// Explode (method 6). Returns 0, 3 out of memory, 5 size mismatch, other nonzero bad data.
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built

int explode(EngineState& s);
