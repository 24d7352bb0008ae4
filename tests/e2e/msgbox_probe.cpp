// Shows one catalogue text the way the setup program does (show_info, no
// owner), so that an end-to-end test can read the box back:
//   msgbox_probe.exe LANGUAGE MESSAGE-ID
#include <cstdlib>

#include "installer/message_catalogue.h"
#include "installer/setup_state.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int language = std::atoi(argv[1]);
  const int id = std::atoi(argv[2]);
  if (language < 0 || language >= language_count || id < 0 || id >= message_count) return 2;
  os_Initialize(0, ".", 0);
  Language = language;
  show_info(message_text(static_cast<MessageId>(id)));
  os_Initialize(-1, 0, 0);
  return 0;
}
