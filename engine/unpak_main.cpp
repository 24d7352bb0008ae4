// unpak: the extraction engine as a command-line program. The exit status is
// the engine's result code.
//
// The engine's installer call-backs get terminal versions here: the questions
// before an installer file (phone book, scripts, option files) is replaced
// are asked on standard error in the installer's English wording, and only a
// reply beginning with "y" counts as yes (no reply is no); the backup copy is
// a plain file copy.
#include <array>
#include <cstdio>

#include "engine/engine_hooks.h"
#include "engine/engine_main.h"
#include "engine/engine_state.h"
#include "platform/sys_fsops.h"

namespace {

class TerminalHooks final : public EngineHooks {
 public:
  int ask_yes_no(HookText title, HookText text, const char* argument, int /*style*/) override {
    std::fprintf(stderr, "%s: ", title == HookText::title_information ? "Information" : "Question");
    switch (text) {
      case HookText::msg_overwrite_file:
        std::fprintf(stderr, "Overwrite %s with VOK's installation defaults?", argument ? argument : "");
        break;
      case HookText::msg_overwrite_options:
        std::fprintf(
            stderr,
            "Overwrite existing option files with VOK's installation defaults (all VOK settings will "
            "be lost)?");
        break;
      case HookText::title_information:
        break;
    }
    std::fprintf(stderr, " (y/n) ");
    std::fflush(stderr);
    std::array<char, 16> reply{};
    if (std::fgets(reply.data(), static_cast<int>(reply.size()), stdin) == nullptr) return 0;
    return reply[0] == 'y' ? 1 : 0;
  }

  int copy_file(const char* source, const char* target, int /*rename*/) override {
    return sys::copy_file(source, target) == 0 ? 1 : 0;
  }
};

}  // namespace

int main(int argc, char** argv) {
  static TerminalHooks hooks;
  engine.hooks = &hooks;
  return engine_main(argc, argv);
}
