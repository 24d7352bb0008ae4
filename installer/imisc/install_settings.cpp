// The program's one InstallSettings record (see install_settings.h).
#include "installer/imisc/install_settings.h"

InstallSettings install_settings;
