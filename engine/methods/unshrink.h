// Unshrink (method 1). Returns 0, or nonzero (see unshrink.cpp).
#pragma once

#include "engine/engine_state.h"
#include "engine/methods/inflate.h"  // method_not_built

int unshrink(EngineState& s);
