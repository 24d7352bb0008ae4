// Program-wide values of the setup program: the run's language and archive,
// the module and main dialog handles, and the run flags.
//
// `Language` and `archive_name` are set once by start-up before any other
// thread exists; `main_dialog` is set before the worker starts and cleared
// after the dialog is gone. The two run flags are shared with the worker
// thread, hence atomic (plain 0/1 values).
#pragma once

#include <array>
#include <atomic>

#include "platform/os_layer.h"

inline constexpr int path_size = 260;  // 259 characters and a terminator

extern int Language;                              // 0 English, 1 German, 2 French
extern std::array<char, path_size> archive_name;  // the archive found, relative to the program's directory
extern OsModule instance_handle;                  // the program's module
extern OsWindow main_dialog;                      // the main dialog while it exists, else 0
extern OsThreadContext main_thread_context;       // the layer's record of the main thread

extern std::atomic<int> cancel_requested;  // set by "Cancel" or close; read by the worker between members
extern std::atomic<int> worker_started;    // set when "Install" starts the worker; never cleared
