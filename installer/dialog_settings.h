// The user's choices (InstallSettings) as the dialog and start-up see them.
// They live with the installer's file helpers (installer/imisc), which build
// natively too; until those are part of the tree, the dialog keeps the few
// fields it already uses itself.
#pragma once

#if __has_include("installer/imisc/install_settings.h")
#include "installer/imisc/install_settings.h"
#else
struct InstallSettings {
  int existing_installed = 0;  // 0/1, box 300: the product is already installed
  int convert_options = 1;     // 0/1, box 303
  int convert_phonebook = 1;   // 0/1, box 304
  int copy_scripts = 1;        // 0/1, box 305
};
extern InstallSettings install_settings;
#define VOK_DIALOG_OWNS_SETTINGS 1
#endif
