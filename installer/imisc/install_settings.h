// The user's choices in the main dialog: the record that the dialog writes on
// the main thread and the worker and the path settings code read.
//
// It lives with the file helpers because they read it and build natively;
// the dialog fills the one global instance, `install_settings`.
#pragma once

#include "installer/imisc/path_text.h"

struct InstallSettings {
  int existing_installed = 0;   // 0/1, box 300: the product is already installed
  PathText existing_path{};     // field 302: directory of the earlier installation
  PathText destination_path{};  // field 307: directory to install into
  int convert_options = 1;      // 0/1, box 303: copy and convert the earlier options
  int convert_phonebook = 1;    // 0/1, box 304: copy and convert the earlier phone book
  int copy_scripts = 1;         // 0/1, box 305: copy the earlier scripts
  PathText options_path{};      // field 311: options folder of the new installation
  PathText log_path{};          // field 310: log files folder
  PathText script_path{};       // field 312: script folder
  PathText upload_path{};       // field 318: upload folder
  PathText download_path{};     // field 319: download folder
};

extern InstallSettings install_settings;
