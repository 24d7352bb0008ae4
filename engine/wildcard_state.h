// State of wildcard expansion of archive names (expand_archive_name), one sub-record of EngineState.
#pragma once

struct WildcardState {
};
