// Dialogs, controls, texts and message boxes of the windowing layer on Win32.
//
// A dialog made by os_LoadDlg runs under one layer procedure
// (layer_dialog_proc) that hands every message to the caller's procedure. The
// caller's procedure answers with its result, or passes the message to
// os_DefDlgProc, which only marks it "not handled" so that the layer returns
// FALSE and the system's dialog manager does its default work. The mark is
// saved and restored around each call, because handling one message often
// sends another (setting a field's text sends its change notification).
//
// The modal loop of os_ProcessDlg is a plain message loop with the dialog's
// keyboard handling; os_DismissDlg sets the dialog's "dismissed" flag and
// wakes the loop with a null message.
//
// Coordinates: the layer's y runs upwards from the parent's lower-left
// corner, the system's downwards from the upper-left; converting needs the
// parent's client height (the screen's for a top-level window).
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/cp850.h"
#include "platform/os_layer.h"
#include "platform/win32/os_internal.h"

namespace {

struct DialogRecord {
  OsWindowProc procedure = nullptr;
  void* creation_data = nullptr;
  bool dismissed = false;
  int result = 0;
};

thread_local bool t_defaulted = false;
HMODULE g_module = nullptr;

HWND hwnd_of(OsWindow window) {
  return static_cast<HWND>(window);
}

DialogRecord* record_of(HWND dialog) {
  return reinterpret_cast<DialogRecord*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

bool has_class(HWND window, const char* name) {
  char class_name[32] = {};
  GetClassNameA(window, class_name, sizeof class_name);
  return lstrcmpiA(class_name, name) == 0;
}

bool is_push_button(HWND control) {
  if (!has_class(control, "Button")) return false;
  const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

INT_PTR CALLBACK layer_dialog_proc(HWND dialog, UINT message, WPARAM first, LPARAM second) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, second);
  }
  DialogRecord* record = record_of(dialog);
  if (record == nullptr || record->procedure == nullptr) return FALSE;

  const bool saved = t_defaulted;
  t_defaulted = false;
  const std::intptr_t result = record->procedure(dialog, message, first, second);
  const bool defaulted = t_defaulted;
  t_defaulted = saved;

  if (defaulted) return FALSE;
  // The procedure places the focus itself during initialisation; TRUE would
  // make the system move it to the first control.
  if (message == WM_INITDIALOG) return FALSE;
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

// Client height of the window's parent, the screen for a top-level window.
HWND parent_of(HWND window) {
  if ((GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) return GetParent(window);
  return nullptr;
}

int parent_height(HWND parent) {
  if (parent == nullptr) return GetSystemMetrics(SM_CYSCREEN);
  RECT client{};
  GetClientRect(parent, &client);
  return client.bottom - client.top;
}

// The window's rectangle in its parent's client coordinates (system's axes).
RECT rect_in_parent(HWND window, HWND parent) {
  RECT r{};
  GetWindowRect(window, &r);
  if (parent != nullptr) MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring to_wide(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

}  // namespace

void os_layer_set_module(void* module) {
  g_module = static_cast<HMODULE>(module);
}
void* os_layer_module() {
  return g_module;
}

OsWindow os_LoadDlg(OsWindow parent, OsWindow owner, OsWindowProc procedure, OsModule module, int template_id,
                    void* creation_data) {
  auto* record = new DialogRecord{procedure, creation_data, false, 0};
  HWND relative = hwnd_of(parent != nullptr ? parent : owner);
  HMODULE from = module != nullptr ? static_cast<HMODULE>(module) : g_module;
  HWND dialog = CreateDialogParamW(from, MAKEINTRESOURCEW(template_id), relative, layer_dialog_proc,
                                   reinterpret_cast<LPARAM>(record));
  if (dialog == nullptr) {
    delete record;
    return nullptr;
  }
  return dialog;
}

int os_ProcessDlg(OsWindow window) {
  HWND dialog = hwnd_of(window);
  DialogRecord* record = record_of(dialog);
  if (record == nullptr) return 0;
  MSG msg;
  while (!record->dismissed) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // keep the quit for the caller
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return record->result;
}

void os_DismissDlg(OsWindow window, int result) {
  HWND dialog = hwnd_of(window);
  DialogRecord* record = record_of(dialog);
  if (record == nullptr) return;
  record->dismissed = true;
  record->result = result;
  ShowWindow(dialog, SW_HIDE);
  PostMessageW(dialog, WM_NULL, 0, 0);
}

void os_DestroyWindow(OsWindow window) {
  HWND hwnd = hwnd_of(window);
  if (hwnd == nullptr) return;
  DialogRecord* record = nullptr;
  if (has_class(hwnd, "#32770")) record = record_of(hwnd);
  DestroyWindow(hwnd);
  delete record;
}

int os_TranslateMsg(OsMsg* out, const OsRawMsg* raw) {
  *out = OsMsg{OS_CODE_OTHER, 0, 0};
  switch (raw->message) {
    case WM_INITDIALOG:
      out->code = OS_CODE_INIT;
      break;
    case WM_CLOSE:
      out->code = OS_CODE_CLOSE;
      break;
    case WM_COMMAND: {
      const int notification = HIWORD(raw->first);
      HWND control = reinterpret_cast<HWND>(raw->second);
      out->id = LOWORD(raw->first);
      if (control == nullptr || (is_push_button(control) && notification == BN_CLICKED)) {
        out->code = OS_CODE_COMMAND;
      } else {
        out->code = OS_CODE_CONTROL;
        if (notification == EN_CHANGE && has_class(control, "Edit")) {
          out->notification = OS_NOTIFY_TEXT_CHANGED;
        } else if (notification == BN_CLICKED && has_class(control, "Button")) {
          out->notification = OS_NOTIFY_CLICKED;
        } else {
          out->notification = OS_NOTIFY_OTHER_BASE + notification;
        }
      }
      break;
    }
    default:
      if (raw->message >= WM_USER && raw->message < 0xC000) out->code = static_cast<int>(raw->message);
      break;
  }
  return out->code;
}

std::intptr_t os_DefDlgProc(const OsRawMsg*) {
  t_defaulted = true;
  return 0;
}

std::intptr_t os_DefWinProc(const OsRawMsg* raw) {
  return DefWindowProcA(hwnd_of(raw->window), raw->message, raw->first, raw->second);
}

// Sent and posted messages: os_PostMsg queues the message and returns at
// once (the worker's completion message); os_SendMsg waits until the owner's
// thread has handled it (the worker's progress positions).
int os_PostMsg(OsWindow window, unsigned message, std::uintptr_t first, std::intptr_t second) {
  return PostMessageW(hwnd_of(window), message, first, second) ? 1 : 0;
}

std::intptr_t os_SendMsg(OsWindow window, unsigned message, std::uintptr_t first, std::intptr_t second) {
  return SendMessageW(hwnd_of(window), message, first, second);
}

OsWindow os_SubWin(OsWindow dialog, int id) {
  return GetDlgItem(hwnd_of(dialog), id);
}

int os_QueryWindowText(OsWindow window, int maximum, char* buffer) {
  if (buffer == nullptr || maximum <= 0) return 0;
  buffer[0] = '\0';
  HWND hwnd = hwnd_of(window);
  if (hwnd == nullptr) return 0;
  if (has_class(hwnd, "Static")) {
    std::wstring wide(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    const int length = GetWindowTextW(hwnd, wide.data(), static_cast<int>(wide.size()));
    const std::string text = utf16_to_cp850(std::u16string(wide.begin(), wide.begin() + length));
    const std::size_t count = std::min<std::size_t>(text.size(), static_cast<std::size_t>(maximum - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
  }
  return GetWindowTextA(hwnd, buffer, maximum);
}

int os_SetWindowText(OsWindow window, const char* text) {
  HWND hwnd = hwnd_of(window);
  if (hwnd == nullptr) return 0;
  if (has_class(hwnd, "Static")) {
    const std::wstring wide = to_wide(cp850_to_utf16(text));
    return SetWindowTextW(hwnd, wide.c_str()) ? 1 : 0;
  }
  return SetWindowTextA(hwnd, text) ? 1 : 0;
}

int os_CheckControl(OsWindow dialog, int id, int state) {
  return CheckDlgButton(hwnd_of(dialog), id, state != 0 ? BST_CHECKED : BST_UNCHECKED) ? 1 : 0;
}

int os_IsButtonChecked(OsWindow dialog, int id) {
  return IsDlgButtonChecked(hwnd_of(dialog), id) == BST_CHECKED ? 1 : 0;
}

int os_EnableWindow(OsWindow window, int enable) {
  EnableWindow(hwnd_of(window), enable != 0);
  return 1;
}

int os_IsWindowEnabled(OsWindow window) {
  return IsWindowEnabled(hwnd_of(window)) ? 1 : 0;
}

int os_ShowWindow(OsWindow window, int show) {
  ShowWindow(hwnd_of(window), show != 0 ? SW_SHOW : SW_HIDE);
  return 1;
}

int os_SetFocus(OsWindow window) {
  return SetFocus(hwnd_of(window)) != nullptr ? 1 : 0;
}

int os_ContrlMgr(OsWindow field, int operation, int value, int) {
  if (operation != 0) return 0;
  SendMessageW(hwnd_of(field), EM_LIMITTEXT, static_cast<WPARAM>(value), 0);
  return 1;
}

int os_QueryWinPos(OsWindow window, OsWinPos* record) {
  HWND hwnd = hwnd_of(window);
  if (hwnd == nullptr || !IsWindow(hwnd)) return 0;
  HWND parent = parent_of(hwnd);
  const RECT r = rect_in_parent(hwnd, parent);
  record->flags = IsWindowVisible(hwnd) ? OS_SWP_SHOW : 0;
  record->height = r.bottom - r.top;
  record->width = r.right - r.left;
  record->y = parent_height(parent) - r.bottom;
  record->x = r.left;
  record->behind = nullptr;
  record->window = window;
  return 1;
}

int os_SetWinPos(OsWindow window, std::intptr_t behind, int x, int y, int width, int height, unsigned flags) {
  HWND hwnd = hwnd_of(window);
  if (hwnd == nullptr) return 0;
  HWND parent = parent_of(hwnd);
  const RECT now = rect_in_parent(hwnd, parent);
  const int final_height = (flags & OS_SWP_SIZE) != 0 ? height : now.bottom - now.top;
  const int top = parent_height(parent) - (y + final_height);

  UINT swp = 0;
  if ((flags & OS_SWP_SIZE) == 0) swp |= SWP_NOSIZE;
  if ((flags & OS_SWP_MOVE) == 0) swp |= SWP_NOMOVE;
  if ((flags & OS_SWP_SHOW) != 0) swp |= SWP_SHOWWINDOW;
  if ((flags & OS_SWP_ACTIVATE) == 0) swp |= SWP_NOACTIVATE;
  if (behind != OS_BEHIND_TOP) swp |= SWP_NOZORDER;
  if (!SetWindowPos(hwnd, HWND_TOP, x, top, width, height, swp)) return 0;
  if ((flags & OS_SWP_ACTIVATE) != 0) SetForegroundWindow(hwnd);
  return 1;
}

int os_QueryWinRect(OsWindow window, OsRect* rect) {
  RECT r{};
  if (!GetWindowRect(hwnd_of(window), &r)) return 0;
  *rect = OsRect{0, 0, r.right - r.left, r.bottom - r.top};
  return 1;
}

int os_QueryWinClRect(OsWindow window, OsRect* rect) {
  RECT r{};
  if (!GetClientRect(hwnd_of(window), &r)) return 0;
  *rect = OsRect{0, 0, r.right - r.left, r.bottom - r.top};
  return 1;
}

int os_CenterWinOverWin(OsWindow over, OsWindow window, int) {
  HWND hwnd = hwnd_of(window);
  RECT area{};
  if (over != nullptr) {
    GetWindowRect(hwnd_of(over), &area);
  } else {
    area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return 0;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  return SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 1 : 0;
}

int os_SetFontNameSize(OsWindow window, const char* name_size) {
  // Fonts are few (one per name and size) and live as long as the program:
  // windows that share one need no bookkeeping about who deletes it.
  struct CachedFont {
    char key[64];
    HFONT font;
  };
  static CachedFont cache[8];
  static int cached = 0;

  const char* dot = std::strchr(name_size, '.');
  if (dot == nullptr) return 0;
  const int points = std::atoi(name_size);
  HFONT font = nullptr;
  for (int i = 0; i < cached; ++i) {
    if (std::strcmp(cache[i].key, name_size) == 0) font = cache[i].font;
  }
  if (font == nullptr) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, dot + 1);
    if (font == nullptr) return 0;
    if (cached < 8 && std::strlen(name_size) < sizeof cache[0].key) {
      std::strcpy(cache[cached].key, name_size);
      cache[cached].font = font;
      ++cached;
    }
  }
  SendMessageW(hwnd_of(window), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return 1;
}

int os_MessageBox(OsWindow owner, const char* title, const char* text, unsigned style) {
  UINT type = (style & 0x10) != 0 ? MB_YESNO : MB_OK;
  if ((style & OS_MB_CAUTION) != 0) {
    type |= MB_ICONWARNING;
    if ((style & 0x10) != 0) type |= MB_DEFBUTTON2;
  } else if ((style & 0x04) != 0) {
    type |= MB_ICONERROR;
  } else if ((style & 0x08) != 0) {
    type |= MB_ICONINFORMATION;
  } else if ((style & 0x01) != 0) {
    type |= MB_ICONQUESTION;
  }
  if (owner == nullptr) type |= MB_TASKMODAL | MB_SETFOREGROUND;
  const std::wstring wide_title = to_wide(cp850_to_utf16(title != nullptr ? title : ""));
  const std::wstring wide_text = to_wide(cp850_to_utf16(text != nullptr ? text : ""));
  switch (MessageBoxW(hwnd_of(owner), wide_text.c_str(), wide_title.c_str(), type)) {
    case IDYES:
      return OS_MBID_YES;
    case IDNO:
      return OS_MBID_NO;
    case IDOK:
      return OS_MBID_OK;
    default:
      return OS_MBID_NONE;
  }
}
