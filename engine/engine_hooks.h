// The engine's call-backs into the program that embeds it.
//
// Before the engine replaces an existing phone-book, script or option file it
// asks the user, and on yes it keeps a backup copy of the old file. Both the
// question (a message box in the installer, a terminal prompt in `unpak`) and
// the copy belong to the embedding program, so the engine sees them only
// through this interface: `EngineState::hooks` points at the program's
// implementation. With no hooks set, every such question is answered "no" and
// the existing file is left alone.
#pragma once

// Catalogue texts the engine's questions use; the values are the catalogue's
// message numbers.
enum class HookText : int {
  title_information = 12,      // "Information"
  msg_overwrite_file = 16,     // "Overwrite %s with VOK's installation defaults?"
  msg_overwrite_options = 17,  // "Overwrite existing option files with VOK's installation defaults ..."
};

// Style of the engine's questions, as the installer's message boxes take it.
inline constexpr int hook_question_style = 0x80;

struct EngineHooks {
  virtual ~EngineHooks() = default;
  // Asks a yes/no question: `text` in the program's language, formatted with
  // `argument` when the text takes one (msg_overwrite_file takes the path).
  // Returns 1 for yes, 0 for anything else.
  virtual int ask_yes_no(HookText title, HookText text, const char* argument, int style) = 0;
  // Copies source to target, replacing it; `rename` as the installer's
  // copy_file takes it (the engine passes 0). Returns nonzero on success.
  virtual int copy_file(const char* source, const char* target, int rename) = 0;
};
