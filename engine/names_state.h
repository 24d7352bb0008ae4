// State of name mapping and directory creation (mapname, checkdir), one sub-record of EngineState.
#pragma once

#include <cstddef>
#include <memory>

struct NameState {
  std::unique_ptr<char[]> extract_root;  // -d directory ending in "/" ("C:./" for a bare "C:"); set by
                                         // CHECKDIR_SET_ROOT, released by CHECKDIR_END
  int extract_root_length = 0;           // characters of extract_root; 0 when there is none
  std::unique_ptr<char[]> name_path;     // output path from the stored names (acceptance test, limits)
  char* name_path_end = nullptr;         // its terminating zero
  std::unique_ptr<char[]> disk_path;     // the same path as used on disk (stored or 8.3 components)
  char* disk_path_end = nullptr;         // its terminating zero
  std::size_t path_capacity = 0;         // bytes of each build buffer, set by CHECKDIR_BEGIN
  int made_directory = 0;                // a directory was created for the current member
  int stored_name_length = 0;            // strlen(member_name) when mapname started
  int label_drive = 0;                   // drive whose label is set, 1 = a
  int name_made_safe = 0;                // mapname dropped or renamed unsafe parts of the current name
};
