// Output names and directories: checkdir keeps the extraction root and the
// path under construction; mapname walks a member name through it.
#pragma once

#include "engine/engine_state.h"

// checkdir modes: the low three bits of its second argument.
enum CheckdirMode : int {
  CHECKDIR_SET_ROOT = 0,   // the -d extraction directory (once per run, engine_main)
  CHECKDIR_BEGIN = 1,      // start a member's path
  CHECKDIR_ADD_DIR = 2,    // one directory component
  CHECKDIR_ADD_NAME = 3,   // the file-name component
  CHECKDIR_TAKE_PATH = 4,  // copy the finished path out (into member_name)
  CHECKDIR_END = 5,        // end of the run: forget the root
};

int checkdir(EngineState& s, char* pathcomp, int function);
