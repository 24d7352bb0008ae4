// Start-up of the setup program: the layer, the program's directory, the
// archive (which fixes the language), the platform check, the window class
// of the progress bar and the modal main dialog.
#pragma once

#include <cstdint>

#include "platform/os_layer.h"

// The start-up sequence for the program file at `module_path`; always 0.
int run_setup(const char* module_path);

// Nonzero when the user profile holds "WindowPos" of "Vokatel ".
int has_saved_window_pos();

// Registers a window class of the program: the class style and procedure, 4
// extra bytes per window, icon `icon_id` (icon 1 when that cannot be
// loaded), the arrow cursor, a light grey background. Returns the class atom
// (0 on failure).
std::uint16_t add_window_class(const char* class_name, OsWindowProc procedure, unsigned class_style,
                               int icon_id);
