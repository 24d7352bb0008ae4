// Start-up (see startup.h). The program takes no arguments; whatever it is
// started from, it works in its own directory, where the archive lies.
#include "installer/startup.h"

#include <array>
#include <cstring>

#include "installer/imisc/imisc_hooks.h"
#include "installer/imisc/install_settings.h"
#include "installer/main_dialog.h"
#include "installer/message_catalogue.h"
#include "installer/progress_bar.h"
#include "installer/setup_names.h"
#include "installer/setup_state.h"
#include "platform/os_entry.h"
#include "platform/sys_file.h"

namespace {

constexpr int module_path_size = 512;
constexpr int window_pos_size = 28;
constexpr int window_extra_bytes = 4;
constexpr int platform_nt = 4;
constexpr int first_accepted_nt_version = 400;

// Drive and directory of a program path, with the final backslash.
void make_program_directory_current(const char* module_path) {
  std::array<char, module_path_size> directory{};
  std::strncpy(directory.data(), module_path, directory.size() - 1);
  char* end = std::strrchr(directory.data(), '\\');
  char* slash = std::strrchr(directory.data(), '/');
  if (slash != nullptr && (end == nullptr || slash > end)) end = slash;
  if (end == nullptr) return;
  end[1] = '\0';
  os_SetCWD(directory.data());  // failure shows as a missing archive
}

// The first archive that exists fixes the language; -1 when none does.
int probe_archives() {
  for (int language = 0; language < static_cast<int>(archive_names.size()); ++language) {
    sys::FileStatus status;
    if (sys::file_status(archive_names[language], status)) return language;
  }
  return -1;
}

// The file helpers reach the status line and the assertion report through
// hooks (they build natively, without the windowing layer).
void show_file_helper_status(StatusMessage message) {
  const MessageId id = message == StatusMessage::paths ? MSG_STATUS_PATHS : MSG_STATUS_CLEANUP;
  // From the worker thread: the layer sends the text to the dialog's thread.
  os_SetWindowText(os_SubWin(main_dialog, ID_STATUS_LINE), message_text(id));
}

void install_file_helper_hooks() {
  ImiscHooks hooks;
  hooks.show_status = show_file_helper_status;
  hooks.report_assertion = _os_AssertMsg;
  set_imisc_hooks(hooks);
}

bool platform_refused() {
  return os_QuerySysValue(1) == platform_nt && os_QuerySysValue(0) < first_accepted_nt_version;
}

}  // namespace

int installer_main(std::intptr_t module, std::intptr_t, const char*, int) {
  instance_handle = reinterpret_cast<OsModule>(module);
  os_Initialize(module, ".", 0);
  install_file_helper_hooks();
  std::array<char, module_path_size> path{};
  os_QueryModuleFileName(path.data(), static_cast<int>(path.size()));
  const int result = run_setup(path.data());
  os_Initialize(-1, 0, 0);
  return result;
}

int run_setup(const char* module_path) {
  make_program_directory_current(module_path);

  const int language = probe_archives();
  if (language < 0) {
    show_error(message_text(MSG_NO_ARCHIVE));
    os_CleanupWinThread(&main_thread_context);
    return 0;
  }
  Language = language;
  std::strncpy(archive_name.data(), archive_names[language], archive_name.size() - 1);

  if (platform_refused()) {
    show_error(message_text(MSG_NEEDS_NT4));
    os_CleanupWinThread(&main_thread_context);
    return 0;
  }

  if (has_saved_window_pos() != 0) install_settings.existing_installed = 1;
  add_window_class(progress_bar_class, progress_bar_procedure, 0, 0);

  main_dialog =
      os_LoadDlg(nullptr, nullptr, main_dialog_procedure, nullptr, dialog_templates[Language], nullptr);
  if (main_dialog != nullptr) {
    os_ProcessDlg(main_dialog);
    os_DestroyWindow(main_dialog);
    main_dialog = nullptr;
  }
  os_CleanupWinThread(&main_thread_context);
  return 0;
}

int has_saved_window_pos() {
  std::array<char, window_pos_size> value{};
  int size = window_pos_size;
  return os_IniMgr(2, 0, profile_application, profile_window_pos, value.data(), &size);
}

std::uint16_t add_window_class(const char* class_name, OsWindowProc procedure, unsigned class_style,
                               int icon_id) {
  return os_RegisterClass(class_name, procedure, class_style, icon_id, window_extra_bytes);
}
