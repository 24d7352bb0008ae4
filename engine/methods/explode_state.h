// State of explode: trees and literal mode, one sub-record of EngineState.
#pragma once

struct ExplodeState {
};
