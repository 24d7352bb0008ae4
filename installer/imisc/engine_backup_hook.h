// The installer's side of the engine's backup copies.
//
// Before the engine replaces an option, phone-book or script file that the
// user agreed to overwrite, it keeps the old file through EngineHooks::
// copy_file; in the setup program that copy is the file helpers' copy_file,
// so a backup is made exactly as every other installer copy. The question
// itself (ask_yes_no) is a message box of the dialog, which the setup
// program adds by deriving from this class.
#pragma once

#include "engine/engine_hooks.h"

class EngineBackupHooks : public EngineHooks {
 public:
  // Copies with the file helpers' copy_file (rename as the engine asks).
  int copy_file(const char* source, const char* target, int rename) override;
};
