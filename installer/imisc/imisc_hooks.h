// How the file helpers reach the user interface without depending on it.
//
// Two things leave these helpers for the GUI: the status line (the dialog's
// control 309, set with os_SetWindowText while the worker runs) and the
// assertion report of the portability layer (_os_AssertMsg). Both belong to
// the windowing layer and the message catalogue, which exist only in the
// Windows program; the helpers themselves also build and are tested
// natively. So they call two plain function pointers, which the setup
// program sets once at start-up, before the worker thread exists: the status
// hook looks up MSG_STATUS_PATHS or MSG_STATUS_CLEANUP in the run's language
// and sets the status line, the assertion hook calls _os_AssertMsg. Tests
// set fakes that record the calls.
//
// Unset, the status hook does nothing and an assertion is written to the
// standard error stream.
#pragma once

enum class StatusMessage {
  paths,    // MSG_STATUS_PATHS: the options file's paths are being rewritten
  cleanup,  // MSG_STATUS_CLEANUP: obsolete files are being removed
};

struct ImiscHooks {
  void (*show_status)(StatusMessage message) = nullptr;
  void (*report_assertion)(const char* expression, const char* source, int line) = nullptr;
};

// Replaces both hooks; call before the worker thread starts.
void set_imisc_hooks(const ImiscHooks& hooks);
[[nodiscard]] const ImiscHooks& imisc_hooks();

void imisc_show_status(StatusMessage message);
void imisc_report_assertion(const char* expression, const char* source, int line);
