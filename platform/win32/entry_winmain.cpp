// Process entry of the GUI program: the runtime has started; hand over to
// installer_main with the module handle, 0, the command line after the
// program name, and 1 (show normally).
#include <windows.h>

#include "platform/os_entry.h"

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR command_line, int) {
  return installer_main(reinterpret_cast<std::intptr_t>(module), 0, command_line, 1);
}
