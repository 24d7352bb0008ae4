// The main dialog's procedure (see main_dialog.h).
//
// Picture placement: the dialog shows the large picture (230 x 210 pixels)
// when the space between the top edges of boxes 300 and 304 holds it (large
// dialog fonts), else the small one (200 x 180); both are anchored at box
// 304's left edge and box 300's top edge, in the layer's y-upwards
// coordinates.
#include "installer/main_dialog.h"

#include <array>
#include <cstring>

#include "installer/imisc/install_settings.h"
#include "installer/private_messages.h"
#include "installer/setup_names.h"
#include "installer/setup_state.h"

namespace {

constexpr int caption_size = 151;  // at most 150 characters read
constexpr std::array<int, 7> limited_fields = {ID_EXISTING_PATH, ID_DESTINATION_PATH, ID_LOG_PATH,
                                               ID_OPTIONS_PATH,  ID_SCRIPT_PATH,      ID_UPLOAD_PATH,
                                               ID_DOWNLOAD_PATH};
constexpr int field_limit = path_size - 1;

struct Picture {
  int id;
  int width;
  int height;
};
constexpr Picture picture_large{ID_PICTURE_LARGE, 230, 210};
constexpr Picture picture_small{ID_PICTURE_SMALL, 200, 180};

void append_version_to_caption(OsWindow dialog) {
  std::array<char, caption_size + sizeof VERSION_SUFFIX> caption{};
  os_QueryWindowText(dialog, caption_size, caption.data());
  std::strcat(caption.data(), VERSION_SUFFIX);
  os_SetWindowText(dialog, caption.data());
}

void place_picture(OsWindow dialog) {
  OsWinPos phonebook{};
  OsWinPos installed{};
  os_QueryWinPos(os_SubWin(dialog, ID_CONVERT_PHONEBOOK), &phonebook);
  os_QueryWinPos(os_SubWin(dialog, ID_EXISTING_INSTALLED), &installed);
  const int top = installed.y + installed.height;
  for (const Picture& p : {picture_large, picture_small}) {
    os_SetWinPos(os_SubWin(dialog, p.id), OS_BEHIND_TOP, phonebook.x, top - p.height, p.width, p.height,
                 OS_SWP_SIZE | OS_SWP_MOVE);
  }
  const int space = top - (phonebook.y + phonebook.height);
  const bool large = space >= picture_large.height;
  os_ShowWindow(os_SubWin(dialog, ID_PICTURE_LARGE), large ? 1 : 0);
  os_ShowWindow(os_SubWin(dialog, ID_PICTURE_SMALL), large ? 0 : 1);
}

int initialise(OsWindow dialog) {
  append_version_to_caption(dialog);
  limit_field_lengths(dialog);
  os_CheckControl(dialog, ID_EXISTING_INSTALLED, install_settings.existing_installed);
  os_CheckControl(dialog, ID_CONVERT_OPTIONS, install_settings.convert_options);
  os_CheckControl(dialog, ID_CONVERT_PHONEBOOK, install_settings.convert_phonebook);
  os_CheckControl(dialog, ID_COPY_SCRIPTS, install_settings.copy_scripts);
  place_picture(dialog);
  os_CenterWinOverWin(nullptr, dialog, 1);
  os_SetWinPos(dialog, OS_BEHIND_KEEP, 0, 0, 0, 0, OS_SWP_SHOW | OS_SWP_ACTIVATE);
  return 1;
}

void request_cancel(OsWindow dialog) {
  cancel_requested = 1;
  // A running worker sees the flag at its next check and posts the message
  // itself when it has stopped.
  if (worker_started == 0) os_PostMsg(dialog, UM_INSTALL_FINISHED, 0, 0);
}

}  // namespace

void limit_field_lengths(OsWindow dialog) {
  for (int id : limited_fields) os_ContrlMgr(os_SubWin(dialog, id), 0, field_limit, 0);
}

std::intptr_t main_dialog_procedure(OsWindow dialog, unsigned message, std::uintptr_t first,
                                    std::intptr_t second) {
  const OsRawMsg raw{dialog, message, first, second};
  OsMsg msg{};
  switch (os_TranslateMsg(&msg, &raw)) {
    case OS_CODE_INIT:
      return initialise(dialog);
    case OS_CODE_COMMAND:
      if (msg.id == ID_CANCEL) {
        request_cancel(dialog);
        return 0;
      }
      break;
    case OS_CODE_CLOSE:
      request_cancel(dialog);
      return 0;
    case static_cast<int>(UM_INSTALL_FINISHED):
      if (cancel_requested != 0) {
        os_DismissDlg(dialog, 0);
        return 0;
      }
      break;
    default:
      break;
  }
  return os_DefDlgProc(&raw);
}
