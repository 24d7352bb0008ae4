// uidriver: drives a Windows GUI program from the outside, for end-to-end
// tests under Wine.
//
//   uidriver.exe STEP [ARGS...] [STEP [ARGS...]]...
//
// Steps run in order; the first that fails prints "uidriver: FAIL ..." and
// the driver ends with exit code 1 (after ending the program it started, so
// that nothing outlives the test). Texts on the command line and in the
// output are UTF-8. Steps:
//
//   env NAME=VALUE               set a variable for the program to be started
//   profile-set APP KEY VALUE    write a user-profile entry (win.ini)
//   profile-delete APP KEY       remove it
//   start EXE DIRECTORY          start EXE with DIRECTORY current ("-": EXE's own)
//   start-with EXE DIRECTORY ARGS  the same, with a command line
//   wait-dialog CAPTION          wait for a visible dialog of the program with that caption
//   expect-windows N             the program has N visible top-level windows
//   expect-text ID TEXT          control ID of the dialog shows TEXT
//   set-text ID TEXT             set control ID's text
//   expect-check ID 0|1          check box state
//   expect-visible ID 0|1        control visibility
//   expect-enabled ID 0|1        control enabled state
//   expect-place ID LEFT TOP W H control ID's left edge is control LEFT's, its top
//                                edge control TOP's, its size W x H pixels
//   click ID                     click a button of the dialog
//   close                        close the dialog (system menu "Close")
//   send ID MESSAGE FIRST SECOND send a message to control ID, print its result
//   expect-bar ID CELLS          progress bar control ID shows CELLS solid cells of 20,
//                                the rest checkered, its frame ending where the geometry says
//   wait-box                     wait for a message box of the program (not the dialog)
//   expect-box-title TEXT        the box's title
//   expect-box-text TEXT         the box's message (read both as Unicode and with
//                                GetWindowTextA in the system's ANSI code page)
//   expect-box-buttons A|B       the box's buttons, in order, without "&"
//   expect-box-default BUTTON    the box's default button
//   answer BUTTON                press the box's button labelled BUTTON
//   close-box                    close the box without a button (Escape / system menu)
//   pause READY DONE             create file READY, then wait until file DONE exists
//   wait-exit CODE               wait for the program to end with exit code CODE
//
// Waits give up after 15 seconds.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr DWORD wait_limit_ms = 15000;
constexpr DWORD poll_ms = 50;

PROCESS_INFORMATION g_process{};
bool g_started = false;
HWND g_dialog = nullptr;
HWND g_box = nullptr;

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

std::wstring from_utf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string ansi(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

// Escapes control characters so that a failure message shows them.
std::string shown(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\n') {
      out += L"\\n";
    } else {
      out += c;
    }
  }
  return "\"" + utf8(out) + "\"";
}

[[noreturn]] void fail(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::fputs("uidriver: FAIL ", stdout);
  std::vprintf(format, args);
  std::fputs("\n", stdout);
  va_end(args);
  std::fflush(stdout);
  if (g_started && WaitForSingleObject(g_process.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(g_process.hProcess, 99);
    WaitForSingleObject(g_process.hProcess, 5000);
  }
  std::exit(1);
}

// The text of a window of another process (WM_GETTEXT crosses processes,
// GetWindowText does not read other programs' controls).
std::wstring window_text(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  text.resize(copied);
  return text;
}

std::wstring class_of(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::vector<HWND> program_windows() {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search{g_process.dwProcessId, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == s->pid && IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool program_ended() {
  return WaitForSingleObject(g_process.hProcess, 0) == WAIT_OBJECT_0;
}

template <typename Find>
HWND wait_for(const char* what, Find find) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = find()) return found;
    if (program_ended()) {
      DWORD code = 0;
      GetExitCodeProcess(g_process.hProcess, &code);
      fail("%s: the program ended (exit code %lu)", what, code);
    }
    if (GetTickCount() - start > wait_limit_ms) fail("%s: not found within %lu ms", what, wait_limit_ms);
    Sleep(poll_ms);
  }
}

HWND control(int id) {
  if (g_dialog == nullptr) fail("no dialog (wait-dialog first)");
  HWND found = GetDlgItem(g_dialog, id);
  if (found == nullptr) fail("control %d not found", id);
  return found;
}

void need(std::size_t have, std::size_t want, const char* step) {
  if (have < want) fail("%s: missing arguments", step);
}

COLORREF pixel(HDC screen, int x, int y) {
  return GetPixel(screen, x, y);
}

struct BarReading {
  int solid = 0;
  int patterned = 0;
  int other = 0;
  bool frame_ok = false;
  int frame_right = 0;
  int width = 0;
  std::string detail;
};

// Reads the bar from the screen: the program's windows are on top on the
// test display, with no window manager to cover them.
BarReading read_bar(HWND bar) {
  BarReading r;
  RECT client{};
  GetClientRect(bar, &client);
  POINT origin{0, 0};
  ClientToScreen(bar, &origin);
  const int width = client.right;
  const int height = client.bottom;
  const int segment = (width - 6) / 10;
  const int cell = (segment - 1) / 2;
  r.width = width;
  r.frame_right = 10 * segment + 5;
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const COLORREF light = RGB(192, 192, 192);
  const COLORREF dark = RGB(128, 128, 128);

  HDC screen = GetDC(nullptr);
  const int y = origin.y + height / 2;
  for (int i = 0; i < 20; ++i) {
    const int left = origin.x + 3 + (i / 2) * segment + (i % 2) * cell;
    const COLORREF a = pixel(screen, left + cell / 2, y);
    const COLORREF b = pixel(screen, left + cell / 2 + 1, y);
    const COLORREF c = pixel(screen, left + cell / 2, y + 1);
    if (a == highlight && b == highlight && c == highlight) {
      ++r.solid;
    } else if ((a == light && b == dark && c == dark) || (a == dark && b == light && c == light)) {
      ++r.patterned;
    } else {
      ++r.other;
      char text[96];
      std::snprintf(text, sizeof text, " cell %d: %06lx %06lx %06lx;", i, a, b, c);
      r.detail += text;
    }
  }
  // The frame's last column is drawn; the columns right of it keep the
  // class background (light grey).
  r.frame_ok = pixel(screen, origin.x + r.frame_right - 1, y) != light;
  for (int x = r.frame_right; x < width; ++x) {
    if (pixel(screen, origin.x + x, y) != light) r.frame_ok = false;
  }
  if (r.frame_right >= width) r.frame_ok = false;
  ReleaseDC(nullptr, screen);
  return r;
}

bool same_text(const std::wstring& a, const std::wstring& b) {
  return a == b;
}

std::wstring without_ampersand(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c != L'&') out += c;
  }
  return out;
}

HWND box_message(HWND box) {
  for (HWND child : children(box)) {
    if (class_of(child) != L"Static") continue;
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) continue;
    if (!window_text(child).empty()) return child;
  }
  return nullptr;
}

std::vector<HWND> box_buttons(HWND box) {
  std::vector<HWND> buttons;
  for (HWND child : children(box)) {
    if (class_of(child) == L"Button" && IsWindowVisible(child)) buttons.push_back(child);
  }
  return buttons;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* wide_argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(utf8(wide_argv[i]));
  LocalFree(wide_argv);

  std::size_t i = 0;
  auto arg = [&](std::size_t k) -> const std::string& { return args[i + k]; };
  auto number = [&](std::size_t k) { return std::atoi(arg(k).c_str()); };
  while (i < args.size()) {
    const std::string step = args[i];
    const std::size_t left = args.size() - i - 1;
    std::printf("uidriver: %s\n", step.c_str());
    std::fflush(stdout);
    std::size_t used = 0;
    if (step == "env") {
      need(left, 1, "env");
      const std::wstring assignment = from_utf8(arg(1));
      const std::size_t eq = assignment.find(L'=');
      if (eq == std::wstring::npos) fail("env: NAME=VALUE expected");
      SetEnvironmentVariableW(assignment.substr(0, eq).c_str(), assignment.substr(eq + 1).c_str());
      used = 1;
    } else if (step == "profile-set" || step == "profile-delete") {
      const bool set = step == "profile-set";
      need(left, set ? 3 : 2, step.c_str());
      if (!WriteProfileStringA(arg(1).c_str(), arg(2).c_str(), set ? arg(3).c_str() : nullptr)) {
        fail("%s: WriteProfileStringA failed (%lu)", step.c_str(), GetLastError());
      }
      WriteProfileStringA(nullptr, nullptr, nullptr);  // flush the profile cache
      if (!set) {
        // Wine keeps section names without their trailing blanks: it finds
        // "Vokatel " when reading but deletes only by the trimmed name.
        char value[64];
        if (GetProfileStringA(arg(1).c_str(), arg(2).c_str(), "\x01", value, sizeof value) > 0 &&
            value[0] != '\x01') {
          std::string trimmed = arg(1);
          while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
          WriteProfileStringA(trimmed.c_str(), arg(2).c_str(), nullptr);
          WriteProfileStringA(nullptr, nullptr, nullptr);
        }
        if (GetProfileStringA(arg(1).c_str(), arg(2).c_str(), "\x01", value, sizeof value) > 0 &&
            value[0] != '\x01') {
          fail("profile-delete: the entry is still there");
        }
      }
      used = set ? 3 : 2;
    } else if (step == "start" || step == "start-with") {
      const bool with_args = step == "start-with";
      need(left, with_args ? 3 : 2, step.c_str());
      const std::wstring exe = from_utf8(arg(1));
      const std::wstring directory =
          arg(2) == "-" ? exe.substr(0, exe.find_last_of(L"\\/") + 1) : from_utf8(arg(2));
      used = with_args ? 3 : 2;
      std::wstring command = L"\"" + exe + L"\"";
      if (with_args) command += L" " + from_utf8(arg(3));
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.empty() ? nullptr : directory.c_str(), &startup, &g_process)) {
        fail("start: CreateProcess %s failed (%lu)", arg(1).c_str(), GetLastError());
      }
      g_started = true;
      WaitForInputIdle(g_process.hProcess, 5000);
    } else if (step == "wait-dialog") {
      need(left, 1, "wait-dialog");
      const std::wstring caption = from_utf8(arg(1));
      g_dialog = wait_for(("dialog " + arg(1)).c_str(), [&]() -> HWND {
        for (HWND w : program_windows()) {
          if (class_of(w) == L"#32770" && window_text(w) == caption) return w;
        }
        return nullptr;
      });
      used = 1;
    } else if (step == "expect-windows") {
      need(left, 1, "expect-windows");
      const auto windows = program_windows();
      if (static_cast<int>(windows.size()) != number(1)) {
        std::string names;
        for (HWND w : windows) names += " " + shown(window_text(w));
        fail("expect-windows: %zu visible windows:%s (expected %d)", windows.size(), names.c_str(),
             number(1));
      }
      used = 1;
    } else if (step == "expect-text") {
      need(left, 2, "expect-text");
      const std::wstring text = window_text(control(number(1)));
      if (!same_text(text, from_utf8(arg(2)))) {
        fail("expect-text %d: %s, expected \"%s\"", number(1), shown(text).c_str(), arg(2).c_str());
      }
      used = 2;
    } else if (step == "set-text") {
      need(left, 2, "set-text");
      const std::wstring text = from_utf8(arg(2));
      DWORD_PTR result = 0;
      SendMessageTimeoutW(control(number(1)), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_ABORTIFHUNG, 5000, &result);
      used = 2;
    } else if (step == "expect-check") {
      need(left, 2, "expect-check");
      DWORD_PTR state = 0;
      SendMessageTimeoutW(control(number(1)), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
      if (static_cast<int>(state) != number(2))
        fail("expect-check %d: %d, expected %d", number(1), static_cast<int>(state), number(2));
      used = 2;
    } else if (step == "expect-visible" || step == "expect-enabled") {
      need(left, 2, step.c_str());
      HWND c = control(number(1));
      const int state =
          step == "expect-visible" ? (IsWindowVisible(c) ? 1 : 0) : (IsWindowEnabled(c) ? 1 : 0);
      if (state != number(2)) fail("%s %d: %d, expected %d", step.c_str(), number(1), state, number(2));
      used = 2;
    } else if (step == "expect-place") {
      need(left, 5, "expect-place");
      RECT r{}, l{}, t{};
      GetWindowRect(control(number(1)), &r);
      GetWindowRect(control(number(2)), &l);
      GetWindowRect(control(number(3)), &t);
      if (r.left != l.left || r.top != t.top || r.right - r.left != number(4) ||
          r.bottom - r.top != number(5)) {
        fail("expect-place %d: at %ld,%ld size %ldx%ld; expected left %ld, top %ld, size %dx%d", number(1),
             r.left, r.top, r.right - r.left, r.bottom - r.top, l.left, t.top, number(4), number(5));
      }
      used = 5;
    } else if (step == "click") {
      need(left, 1, "click");
      PostMessageW(control(number(1)), BM_CLICK, 0, 0);
      used = 1;
    } else if (step == "close") {
      if (g_dialog == nullptr) fail("close: no dialog");
      PostMessageW(g_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (step == "send") {
      need(left, 4, "send");
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutW(control(number(1)), static_cast<UINT>(number(2)),
                               static_cast<WPARAM>(number(3)), static_cast<LPARAM>(number(4)),
                               SMTO_ABORTIFHUNG, 5000, &result)) {
        fail("send: no answer");
      }
      std::printf("uidriver: result %lld\n", static_cast<long long>(result));
      used = 4;
    } else if (step == "expect-bar") {
      need(left, 2, "expect-bar");
      HWND bar = control(number(1));
      const int want = number(2);
      BarReading r;
      const DWORD start = GetTickCount();
      do {
        Sleep(poll_ms);
        r = read_bar(bar);
      } while ((r.solid != want || r.patterned != 20 - want || !r.frame_ok) &&
               GetTickCount() - start < wait_limit_ms / 3);
      std::printf("uidriver: bar width %d, frame ends at %d, %d solid, %d checkered\n", r.width,
                  r.frame_right, r.solid, r.patterned);
      if (r.solid != want || r.patterned != 20 - want) {
        fail("expect-bar: %d solid and %d checkered cells, expected %d and %d;%s", r.solid, r.patterned, want,
             20 - want, r.detail.c_str());
      }
      if (!r.frame_ok) fail("expect-bar: the frame does not end at %d of %d pixels", r.frame_right, r.width);
      used = 2;
    } else if (step == "wait-box") {
      g_box = wait_for("message box", [&]() -> HWND {
        for (HWND w : program_windows()) {
          if (w != g_dialog && class_of(w) == L"#32770" && box_message(w) != nullptr) return w;
        }
        return nullptr;
      });
    } else if (step == "expect-box-title") {
      need(left, 1, "expect-box-title");
      if (g_box == nullptr) fail("no message box (wait-box first)");
      const std::wstring title = window_text(g_box);
      if (title != from_utf8(arg(1)))
        fail("expect-box-title: %s, expected \"%s\"", shown(title).c_str(), arg(1).c_str());
      used = 1;
    } else if (step == "expect-box-text") {
      need(left, 1, "expect-box-text");
      if (g_box == nullptr) fail("no message box (wait-box first)");
      HWND message = box_message(g_box);
      std::wstring expected = from_utf8(arg(1));
      const std::wstring text = window_text(message);
      if (text != expected)
        fail("expect-box-text: %s, expected %s", shown(text).c_str(), shown(expected).c_str());
      // The same through the ANSI function, in the system's code page. Message
      // boxes belong to the program, so the text comes by WM_GETTEXT in ANSI.
      char narrow[1024] = {};
      DWORD_PTR copied = 0;
      SendMessageTimeoutA(message, WM_GETTEXT, sizeof narrow, reinterpret_cast<LPARAM>(narrow),
                          SMTO_ABORTIFHUNG, 5000, &copied);
      if (ansi(expected) != narrow) fail("expect-box-text: the ANSI reading differs: \"%s\"", narrow);
      used = 1;
    } else if (step == "expect-box-buttons") {
      need(left, 1, "expect-box-buttons");
      if (g_box == nullptr) fail("no message box (wait-box first)");
      std::wstring names;
      for (HWND b : box_buttons(g_box))
        names += (names.empty() ? L"" : L"|") + without_ampersand(window_text(b));
      if (names != from_utf8(arg(1)))
        fail("expect-box-buttons: %s, expected \"%s\"", shown(names).c_str(), arg(1).c_str());
      used = 1;
    } else if (step == "expect-box-default") {
      need(left, 1, "expect-box-default");
      if (g_box == nullptr) fail("no message box (wait-box first)");
      std::wstring found;
      for (HWND b : box_buttons(g_box)) {
        if ((GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
          found = without_ampersand(window_text(b));
      }
      if (found != from_utf8(arg(1)))
        fail("expect-box-default: %s, expected \"%s\"", shown(found).c_str(), arg(1).c_str());
      used = 1;
    } else if (step == "close-box") {
      if (g_box == nullptr) fail("no message box (wait-box first)");
      PostMessageW(g_box, WM_SYSCOMMAND, SC_CLOSE, 0);
      g_box = nullptr;
    } else if (step == "answer") {
      need(left, 1, "answer");
      if (g_box == nullptr) fail("no message box (wait-box first)");
      HWND chosen = nullptr;
      for (HWND b : box_buttons(g_box)) {
        if (without_ampersand(window_text(b)) == from_utf8(arg(1))) chosen = b;
      }
      if (chosen == nullptr) fail("answer: no button \"%s\"", arg(1).c_str());
      PostMessageW(chosen, BM_CLICK, 0, 0);
      g_box = nullptr;
      used = 1;
    } else if (step == "pause") {
      need(left, 2, "pause");
      FILE* ready = std::fopen(arg(1).c_str(), "w");
      if (ready == nullptr) fail("pause: cannot create %s", arg(1).c_str());
      std::fclose(ready);
      const DWORD start = GetTickCount();
      while (GetFileAttributesA(arg(2).c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > wait_limit_ms) fail("pause: %s did not appear", arg(2).c_str());
        Sleep(poll_ms);
      }
      used = 2;
    } else if (step == "wait-exit") {
      need(left, 1, "wait-exit");
      if (!g_started) fail("wait-exit: nothing started");
      if (WaitForSingleObject(g_process.hProcess, wait_limit_ms) != WAIT_OBJECT_0) {
        fail("wait-exit: the program is still running");
      }
      DWORD code = 0;
      GetExitCodeProcess(g_process.hProcess, &code);
      if (static_cast<int>(code) != number(1)) fail("wait-exit: exit code %lu, expected %d", code, number(1));
      used = 1;
    } else {
      fail("unknown step \"%s\"", step.c_str());
    }
    i += 1 + used;
  }
  if (g_started && WaitForSingleObject(g_process.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(g_process.hProcess, 99);
    fail("the program was still running at the end of the steps");
  }
  std::puts("uidriver: ok");
  return 0;
}
