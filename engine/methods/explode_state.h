// State of explode, one sub-record of EngineState: the code lengths of the
// tree being read. Each tree is read into it and its decoding table built
// from it before the next tree is read.
#pragma once

#include <array>
#include <cstdint>

struct ExplodeState {
  std::array<std::uint32_t, 256> tree_lengths{};  // code length per symbol, 1..16; written per tree
};
