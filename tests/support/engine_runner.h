// Runs the engine over an argument vector in a test and captures what it
// prints on standard output and standard error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/engine_state.h"

namespace enginetest {

struct RunOutput {
  int result = -1;
  std::string out;  // standard output
  std::string err;  // standard error
  // The vector the engine ran over: its lists (patterns, exclusions) point
  // into it, so it lives as long as this record.
  std::vector<std::unique_ptr<char[]>> arguments;
  std::vector<char*> argv;
};

// args[0] is the program name. The engine gets writable copies and a
// NULL-terminated vector, as a program's main does.
RunOutput run(EngineState& s, const std::vector<std::string>& args);

// The same over the program's one state (`engine`), as engine_main is called.
RunOutput run_main(const std::vector<std::string>& args);

// A fresh, empty folder for one test, removed with its contents at the end
// of the scope. Its name is unique, so parallel test runs do not meet.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Line ends of Windows text-mode output folded to "\n".
std::string unix_lines(std::string text);

}  // namespace enginetest
