// State of name mapping and directory creation (mapname, checkdir), one sub-record of EngineState.
#pragma once

struct NameState {
};
