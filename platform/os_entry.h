// The program's main routine, called by the layer's process entry (WinMain)
// with the module handle, 0, the command line after the program name, and 1.
// Its result is the exit code.
#pragma once

#include <cstdint>

int installer_main(std::intptr_t module, std::intptr_t previous, const char* command_line, int show);
