// Painting and window classes of the windowing layer on Win32.
//
// Paint coordinates follow the layer: y upwards from the window's lower-left
// corner. The paint record keeps the window's client height so that every
// rectangle can be turned into the system's top-down form.
//
// Window classes registered through the layer all share one system window
// procedure (class_trampoline), which finds the caller's procedure by the
// class atom. The installer registers two classes; the table has room for a
// few more.
#include <windows.h>

#include <array>
#include <atomic>

#include "platform/os_layer.h"
#include "platform/win32/os_internal.h"

namespace {

struct PaintRecord {
  OsPaint paint;
  PAINTSTRUCT system;
};

struct ClassEntry {
  ATOM atom;
  OsWindowProc procedure;
};

std::array<ClassEntry, 8> g_classes{};

#if defined(VOK_TEST_SEAMS)
std::atomic<int> g_live_objects{0};
std::atomic<int> g_paints_begun{0};
void count_object(const void* object, int change) {
  if (object != nullptr) g_live_objects += change;
}
#else
void count_object(const void*, int) {}
#endif

HWND hwnd_of(OsWindow window) {
  return static_cast<HWND>(window);
}

RECT to_system(const OsRect& rect, int height) {
  return RECT{rect.left, height - rect.top, rect.right, height - rect.bottom};
}

LRESULT CALLBACK class_trampoline(HWND window, UINT message, WPARAM first, LPARAM second) {
  const ATOM atom = static_cast<ATOM>(GetClassWord(window, GCW_ATOM));
  for (const ClassEntry& entry : g_classes) {
    if (entry.atom == atom && entry.procedure != nullptr) {
      return entry.procedure(window, message, first, second);
    }
  }
  return DefWindowProcA(window, message, first, second);
}

}  // namespace

OsPaint* os_BeginPaint(OsWindow window, int, int) {
  auto* record = new PaintRecord{};
  HWND hwnd = hwnd_of(window);
  RECT client{};
  GetClientRect(hwnd, &client);
  record->paint.device = BeginPaint(hwnd, &record->system);
  record->paint.window = window;
  record->paint.height = client.bottom - client.top;
  record->paint.system = &record->system;
  count_object(record, 1);
#if defined(VOK_TEST_SEAMS)
  ++g_paints_begun;
#endif
  return &record->paint;
}

void os_EndPaint(OsPaint* paint) {
  if (paint == nullptr) return;
  auto* record = reinterpret_cast<PaintRecord*>(paint);  // paint is the record's first member
  EndPaint(hwnd_of(paint->window), &record->system);
  count_object(record, -1);
  delete record;
}

int os_InvalidateRcl(OsWindow window, const OsRect* rect, int) {
  HWND hwnd = hwnd_of(window);
  if (rect == nullptr) return InvalidateRect(hwnd, nullptr, TRUE) ? 1 : 0;
  RECT client{};
  GetClientRect(hwnd, &client);
  const RECT r = to_system(*rect, client.bottom - client.top);
  return InvalidateRect(hwnd, &r, TRUE) ? 1 : 0;
}

int os_NiceRCL(const OsRect* rect, OsPaint* paint, int style) {
  RECT r = to_system(*rect, paint->height);
  const UINT edge = style < 0 ? BDR_SUNKENOUTER : BDR_SUNKENINNER;
  return DrawEdge(static_cast<HDC>(paint->device), &r, edge, BF_RECT) ? 1 : 0;
}

OsObject os_CreateSolidBrush(std::uint32_t colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  count_object(brush, 1);
  return brush;
}

OsObject os_CreatePatternBrush(OsModule module, int bitmap_id, OsObject* bitmap) {
  HMODULE from = module != nullptr ? static_cast<HMODULE>(module) : static_cast<HMODULE>(os_layer_module());
  HBITMAP picture = LoadBitmapA(from, MAKEINTRESOURCEA(bitmap_id));
  *bitmap = picture;
  count_object(picture, 1);
  if (picture == nullptr) return nullptr;
  HBRUSH brush = CreatePatternBrush(picture);
  count_object(brush, 1);
  return brush;
}

int os_FillRect(OsPaint* paint, const OsRect* rect, OsObject brush) {
  const RECT r = to_system(*rect, paint->height);
  return FillRect(static_cast<HDC>(paint->device), &r, static_cast<HBRUSH>(brush));
}

void os_DeleteObject(OsObject object) {
  if (object != nullptr && DeleteObject(static_cast<HGDIOBJ>(object))) count_object(object, -1);
}

std::uint16_t os_RegisterClass(const char* name, OsWindowProc procedure, unsigned style, int icon_id,
                               int window_bytes) {
  ClassEntry* slot = nullptr;
  for (ClassEntry& entry : g_classes) {
    if (entry.atom == 0) {
      slot = &entry;
      break;
    }
  }
  if (slot == nullptr) return 0;

  HINSTANCE module = static_cast<HINSTANCE>(os_layer_module());
  HICON icon = icon_id != 0 ? LoadIconA(module, MAKEINTRESOURCEA(icon_id)) : nullptr;
  if (icon == nullptr) icon = LoadIconA(module, MAKEINTRESOURCEA(1));

  WNDCLASSA wc{};
  wc.style = style;
  wc.lpfnWndProc = class_trampoline;
  wc.cbClsExtra = 0;
  wc.cbWndExtra = window_bytes;
  wc.hInstance = module;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  wc.lpszMenuName = nullptr;
  wc.lpszClassName = name;
  const ATOM atom = RegisterClassA(&wc);
  if (atom != 0) *slot = ClassEntry{atom, procedure};
  return atom;
}

OsWindow os_CreateWindow(const char* class_name, const char* title, OsWindow parent, int x, int y, int width,
                         int height) {
  HWND owner = hwnd_of(parent);
  const DWORD style = owner != nullptr ? WS_CHILD : WS_OVERLAPPEDWINDOW;
  int top = 0;
  if (owner != nullptr) {
    RECT client{};
    GetClientRect(owner, &client);
    top = client.bottom - (y + height);
  } else {
    top = GetSystemMetrics(SM_CYSCREEN) - (y + height);
  }
  return CreateWindowExA(0, class_name, title != nullptr ? title : "", style, x, top, width, height, owner,
                         nullptr, static_cast<HINSTANCE>(os_layer_module()), nullptr);
}

int os_UpdateWindow(OsWindow window) {
  return UpdateWindow(hwnd_of(window)) ? 1 : 0;
}

#if defined(VOK_TEST_SEAMS)
int os_TestLiveDrawingObjects() {
  return g_live_objects;
}
int os_TestPaintsBegun() {
  return g_paints_begun;
}
#endif

std::uint32_t os_QueryWindowULong(OsWindow window, int offset) {
  return static_cast<std::uint32_t>(GetWindowLongA(hwnd_of(window), offset));
}

void os_SetWindowULong(OsWindow window, int offset, std::uint32_t value) {
  SetWindowLongA(hwnd_of(window), offset, static_cast<LONG>(value));
}
