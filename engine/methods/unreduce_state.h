// State of unreduce: the follower-set lengths, one sub-record of EngineState.
// The follower bytes live in the second half of output_window (unreduce.cpp).
#pragma once

#include <array>
#include <cstdint>

struct UnreduceState {
  std::array<std::uint8_t, 256> follower_count{};  // set length per preceding byte, 0..63; read per member
};
