// The main dialog's procedure: the layer translates each raw message and the
// procedure acts on the layer's code. Initialisation adds the version to the
// caption, limits the entry fields, sets the check boxes, places the picture
// that fits the dialog's font, centres the dialog and shows it; "Cancel" and
// closing set `cancel_requested` and, before any worker exists, post
// UM_INSTALL_FINISHED to the dialog itself, which then dismisses it.
#pragma once

#include <cstdint>

#include "platform/os_layer.h"

std::intptr_t main_dialog_procedure(OsWindow dialog, unsigned message, std::uintptr_t first,
                                    std::intptr_t second);

// Control ids of the main dialog templates.
enum DialogControl : int {
  ID_INSTALL = 1,
  ID_CANCEL = 2,
  ID_PICTURE_LARGE = 200,
  ID_PICTURE_SMALL = 201,
  ID_EXISTING_INSTALLED = 300,
  ID_EXISTING_LABEL = 301,
  ID_EXISTING_PATH = 302,
  ID_CONVERT_OPTIONS = 303,
  ID_CONVERT_PHONEBOOK = 304,
  ID_COPY_SCRIPTS = 305,
  ID_DESTINATION_PATH = 307,
  ID_PROGRESS_BAR = 308,
  ID_STATUS_LINE = 309,
  ID_LOG_PATH = 310,
  ID_OPTIONS_PATH = 311,
  ID_SCRIPT_PATH = 312,
  ID_UPLOAD_PATH = 318,
  ID_DOWNLOAD_PATH = 319,
};

// Fields 302, 307, 310, 311, 312, 318, 319 accept at most 259 characters.
void limit_field_lengths(OsWindow dialog);
