// The engine's backup copies through the file helpers (see engine_backup_hook.h).
#include "installer/imisc/engine_backup_hook.h"

#include "installer/imisc/file_maintenance.h"

int EngineBackupHooks::copy_file(const char* source, const char* target, int rename) {
  return ::copy_file(source, target, rename != 0);
}
