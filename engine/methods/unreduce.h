// Unreduce (methods 2 to 5).
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built

int unreduce(EngineState& s);
