// The program-wide values of setup_state.h.
#include "installer/setup_state.h"

int Language = 0;
std::array<char, path_size> archive_name{};
OsModule instance_handle = nullptr;
OsWindow main_dialog = nullptr;
OsThreadContext main_thread_context{};

std::atomic<int> cancel_requested{0};
std::atomic<int> worker_started{0};
