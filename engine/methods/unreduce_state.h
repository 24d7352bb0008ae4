// State of unreduce: follower sets, one sub-record of EngineState.
#pragma once

struct UnreduceState {
};
