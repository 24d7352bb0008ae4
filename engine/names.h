// Output names and directories: the member name becomes the output path.
//
// mapname walks the stored name component by component; checkdir keeps the
// path under construction (the extraction root, the directories, the file
// name) and does everything that touches the disk. Two paths are built side
// by side: name_path from the names as stored, used for the file system's
// acceptance test and the length limits, and disk_path, in which a component
// the file system refuses is replaced by its 8.3 form.
#pragma once

#include "engine/engine_state.h"

// checkdir modes.
enum CheckdirMode : int {
  CHECKDIR_SET_ROOT = 0,   // the extraction directory (-d); once per run
  CHECKDIR_BEGIN = 1,      // start a member's path
  CHECKDIR_ADD_DIR = 2,    // one directory component; created when missing
  CHECKDIR_ADD_NAME = 3,   // the file-name component
  CHECKDIR_TAKE_PATH = 4,  // copy the finished path out and release the build buffers
  CHECKDIR_END = 5,        // forget the extraction directory; end of every run
};

// Results of mapname and checkdir.
enum MapResult : int {
  map_ok = 0,
  map_caution = 1,  // the path can still be used
  map_leave = 2,    // leave the member quietly (no directory allowed, a directory member, a label set)
  map_error = 3,    // leave the member with an error
  map_path_too_long = 4,
  map_no_memory = 10,
  map_created_directory = 77,  // a directory member whose directory was created
  map_volume_label = 78,       // a volume label that is not to be restored
  map_bad_mode = 99,
};

// Maps member_name to the output path in place (flag is always 0).
int mapname(EngineState& s, int flag);

// See CheckdirMode; text is the mode's argument (modified in place by
// CHECKDIR_SET_ROOT, receives the path in CHECKDIR_TAKE_PATH).
int checkdir(EngineState& s, char* text, int mode);

// Appends the 8.3 form of component at *end and moves *end to its terminating zero.
void shorten_component(const char* component, char** end);
