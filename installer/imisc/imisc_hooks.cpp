// The file helpers' hooks into the user interface (see imisc_hooks.h).
#include "installer/imisc/imisc_hooks.h"

#include <cstdio>

namespace {

ImiscHooks hooks;

}  // namespace

void set_imisc_hooks(const ImiscHooks& new_hooks) {
  hooks = new_hooks;
}

const ImiscHooks& imisc_hooks() {
  return hooks;
}

void imisc_show_status(StatusMessage message) {
  if (hooks.show_status != nullptr) hooks.show_status(message);
}

void imisc_report_assertion(const char* expression, const char* source, int line) {
  if (hooks.report_assertion != nullptr) {
    hooks.report_assertion(expression, source, line);
  } else {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", expression, source, line);
  }
}
