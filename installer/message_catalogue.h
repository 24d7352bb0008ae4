// The trilingual message catalogue and the three message boxes that show it.
//
// Every text the program itself shows at run time comes from
// `message_table`, picked by `Language` (0 English, 1 German, 2 French). The
// texts are stored in code page 850 and are handed to the windowing layer as
// stored: the layer shows message-box texts and label texts in code page 850
// (see platform/os_layer.h). A catalogue text that goes to a system call
// directly (the Start-menu folder name) must be converted first
// (platform/cp850.h).
#pragma once

#include <array>

#include "platform/os_layer.h"

enum MessageId : int {
  MSG_STATUS_DONE = 0,
  MSG_ABORTED = 1,
  MSG_INSTALL_ERROR = 2,
  MSG_NO_ARCHIVE = 3,
  MSG_NEEDS_NT4 = 4,
  MSG_ALL_DONE = 5,
  MSG_EMPTY_DESTINATION = 6,
  MSG_EMPTY_LOG_PATH = 7,
  MSG_EMPTY_OPTIONS_PATH = 8,
  MSG_EMPTY_SCRIPT_PATH = 9,
  MSG_EMPTY_UPLOAD_PATH = 10,
  MSG_EMPTY_DOWNLOAD_PATH = 11,
  TITLE_INFORMATION = 12,
  TITLE_ERROR = 13,
  MSG_BETA_UPGRADE = 14,
  MSG_BETA_OVERWRITE = 15,
  MSG_OVERWRITE_FILE = 16,
  MSG_OVERWRITE_OPTIONS = 17,
  MSG_BACKUPS_MADE = 18,
  MSG_READ_DOCS = 19,
  MSG_STATUS_CLEANUP = 20,
  MSG_STATUS_PATHS = 21,
  MSG_STATUS_FOLDER = 22,
  TEXT_ORDER_FROM = 23,
  TEXT_FOLDER_NAME = 24,
  message_count
};

inline constexpr int language_count = 3;

// One entry: its text in English, German and French (code page 850).
struct CatalogueEntry {
  std::array<const char*, language_count> text;
};

extern const std::array<CatalogueEntry, message_count> message_table;

// The entry's text in the run's language.
[[nodiscard]] const char* message_text(MessageId id);

// Information box: owner `main_dialog`, title TITLE_INFORMATION, one OK button.
void show_info(const char* text);
// Error box: owner `main_dialog`, title TITLE_ERROR, one OK button.
void show_error(const char* text);
// Question with Yes and No (style + 0x11); 1 only when the answer is Yes.
// Style 0x80 marks questions whose Yes overwrites something.
[[nodiscard]] int ask_yes_no(OsWindow owner, const char* title, const char* text, unsigned style);
