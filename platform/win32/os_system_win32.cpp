// Start, threads, the user profile, system values, the current directory and
// assertion reports of the windowing layer on Win32.
//
// System values come from the system, except in test builds (VOK_TEST_SEAMS),
// where a value may be overridden: a 64-bit program under a modern Windows
// (or Wine) is never told it runs on Windows NT 3.51, yet start-up must be
// tested against it. The overrides are set by a test directly, or for a whole
// program by the environment variables VOK_SYSVALUE_<number>, read when the
// layer starts.
#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/os_layer.h"
#include "platform/win32/os_internal.h"

namespace {

constexpr int sys_value_count = 32;

#if defined(VOK_TEST_SEAMS)
std::array<int, sys_value_count> g_override_value{};
std::array<bool, sys_value_count> g_overridden{};

void read_override_environment() {
  for (int number = 0; number < sys_value_count; ++number) {
    char name[32];
    std::snprintf(name, sizeof name, "VOK_SYSVALUE_%d", number);
    char value[32];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length > 0 && length < sizeof value) os_TestOverrideSysValue(number, std::atoi(value));
  }
}
#endif

// The platform value: the layer says 4 for Windows NT, 1 for Windows 95.
int platform_value() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return 1;
  return info.dwPlatformId == VER_PLATFORM_WIN32_NT ? 4 : 1;
}

int version_value() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return 0;
  return static_cast<int>(info.dwMajorVersion * 100 + info.dwMinorVersion);
}

struct ThreadStart {
  OsThreadProc procedure;
  void* argument;
};

DWORD WINAPI thread_entry(LPVOID parameter) {
  ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  start.procedure(start.argument);
  return 0;
}

}  // namespace

int os_Initialize(std::intptr_t module, const char*, int) {
  if (module == -1) {
    os_layer_set_module(nullptr);
    return 1;
  }
  os_layer_set_module(module != 0 ? reinterpret_cast<void*>(module) : GetModuleHandleA(nullptr));
#if defined(VOK_TEST_SEAMS)
  read_override_environment();
#endif
  return 1;
}

int os_InitWinThread(OsThreadContext* record, int, int) {
  MSG msg;
  // A thread gets its message queue at its first message call; windows
  // owned by it and messages sent to it need one.
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  record->thread_id = GetCurrentThreadId();
  record->initialised = 1;
  return 1;
}

void os_CleanupWinThread(OsThreadContext* record) {
  if (record == nullptr) return;
  record->thread_id = 0;
  record->initialised = 0;
}

int os_QueryModuleFileName(char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const DWORD length = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
  if (length == 0 || length >= static_cast<DWORD>(size)) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<int>(length);
}

int os_IniMgr(int operation, int profile, const char* application, const char* key, char* buffer, int* size) {
  if (operation != 2 || profile != 0 || buffer == nullptr || size == nullptr || *size < 2) return 0;
  // A default that no profile value can equal tells "absent" from "empty".
  static const char absent[] = "\x01\x02";
  const DWORD length = GetProfileStringA(application, key, absent, buffer, static_cast<DWORD>(*size));
  if (std::strcmp(buffer, absent) == 0) {
    buffer[0] = '\0';
    *size = 0;
    return 0;
  }
  *size = static_cast<int>(length);
  return 1;
}

int os_QuerySysValue(int number) {
#if defined(VOK_TEST_SEAMS)
  if (number >= 0 && number < sys_value_count && g_overridden[number]) return g_override_value[number];
#endif
  switch (number) {
    case 0:
      return version_value();
    case 1:
      return platform_value();
    case 7:
      return GetSystemMetrics(SM_CYCAPTION);
    case 10:
      return GetSystemMetrics(SM_CYSIZEFRAME);
    case 11:
      return GetSystemMetrics(SM_CXSCREEN);
    case 12:
      return GetSystemMetrics(SM_CYSCREEN);
    case 17:
      return static_cast<int>(GetSysColor(COLOR_HIGHLIGHT));
    default:
      return 0;
  }
}

#if defined(VOK_TEST_SEAMS)
void os_TestOverrideSysValue(int number, int value) {
  if (number < 0 || number >= sys_value_count) return;
  g_override_value[number] = value;
  g_overridden[number] = true;
}

void os_TestClearOverrides() {
  g_overridden.fill(false);
}
#endif

int os_QueryCWD(char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), buffer);
  if (length == 0 || length >= static_cast<DWORD>(size)) {
    buffer[0] = '\0';
    return 0;
  }
  return static_cast<int>(length);
}

int os_SetCWD(const char* path) {
  return SetCurrentDirectoryA(path) ? 1 : 0;
}

int os_CreateThread(OsThreadProc procedure, void* argument) {
  auto* start = new ThreadStart{procedure, argument};
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, thread_entry, start, 0, &id);
  if (thread == nullptr) {
    delete start;
    return 0;
  }
  CloseHandle(thread);
  return static_cast<int>(id);
}

void _os_AssertMsg(const char* expression, const char* source, int line) {
  char report[512];
  std::snprintf(report, sizeof report, "Assertion failed: %s, file %s, line %d\n", expression, source, line);
  // A GUI program may have no standard error; the debugger still hears it.
  std::fputs(report, stderr);
  std::fflush(stderr);
  OutputDebugStringA(report);
  std::abort();
}
