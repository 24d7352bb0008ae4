// Shows one catalogue text the way the setup program does, with no owner, so
// that an end-to-end test can read the box back and answer it:
//   msgbox_probe.exe LANGUAGE MESSAGE-ID             show_info
//   msgbox_probe.exe LANGUAGE MESSAGE-ID STYLE       ask_yes_no with STYLE;
//                                                    the exit code is its result
#include <cstdlib>

#include "installer/message_catalogue.h"
#include "installer/setup_state.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  const int language = std::atoi(argv[1]);
  const int id = std::atoi(argv[2]);
  if (language < 0 || language >= language_count || id < 0 || id >= message_count) return 2;
  os_Initialize(0, ".", 0);
  Language = language;
  int result = 0;
  if (argc == 3) {
    show_info(message_text(static_cast<MessageId>(id)));
  } else {
    const auto style = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 0));
    result =
        ask_yes_no(nullptr, message_text(TITLE_INFORMATION), message_text(static_cast<MessageId>(id)), style);
  }
  os_Initialize(-1, 0, 0);
  return result;
}
