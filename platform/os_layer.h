// The installer's windowing layer: dialogs, windows, message boxes, the user
// profile, threads, system values and assertion reports, as `os_` operations.
//
// Conventions every caller relies on:
// - Coordinates count from the parent's lower-left corner with y upwards
//   (a top-level window's parent is the screen). Rectangles are left, bottom,
//   right, top; right and top are one past the last pixel.
// - Position records (OsWinPos) hold flags, height, width, y, x, insert-behind
//   and window, in that order.
// - A dialog procedure sees raw messages and turns them into the layer's codes
//   with os_TranslateMsg: 59 initialisation, 32 command (push buttons), 48
//   control notification (entry field notification 4: text changed; check
//   box notification 1: clicked), 41 close; private messages (1024 and up)
//   keep their number. Everything else is OS_CODE_OTHER and belongs to
//   os_DefDlgProc.
// - Text: the installer's catalogue is stored in code page 850. Texts given
//   to os_MessageBox, and to os_SetWindowText of a label (static control,
//   such as a dialog's status line), are code page 850 and the layer shows
//   them as those characters, whatever the system's code pages (it converts
//   them to UTF-16 through its own table and calls the wide Win32
//   functions). Entry fields and window captions hold file-system text in
//   the system's ANSI code page, unchanged in both directions, because
//   their contents become paths.
// - Threads: the layer's windows belong to the thread that made them. Any
//   thread may call os_SendMsg (it waits while the owner's thread handles
//   the message), os_PostMsg (queued), os_SetWindowText and os_MessageBox.
//
// Left out on purpose: menus, multiple dialogs at once, nested modal loops
// other than message boxes.
#pragma once

#include <cstdint>

// Opaque handles: a window, a module, a device context, a drawing object.
using OsWindow = void*;
using OsModule = void*;
using OsDevice = void*;
using OsObject = void*;

// A raw window message as the system delivers it.
struct OsRawMsg {
  OsWindow window;
  unsigned message;
  std::uintptr_t first;  // wParam
  std::intptr_t second;  // lParam
};

// The layer's reading of a raw message (os_TranslateMsg).
struct OsMsg {
  int code;          // OS_CODE_* below, or the private message's number
  int id;            // control id for commands and notifications
  int notification;  // notification code for OS_CODE_CONTROL
};

inline constexpr int OS_CODE_OTHER = 0;
inline constexpr int OS_CODE_INIT = 59;
inline constexpr int OS_CODE_COMMAND = 32;
inline constexpr int OS_CODE_CONTROL = 48;
inline constexpr int OS_CODE_CLOSE = 41;
inline constexpr int OS_NOTIFY_CLICKED = 1;          // check box or radio button clicked
inline constexpr int OS_NOTIFY_TEXT_CHANGED = 4;     // entry field text changed
inline constexpr int OS_NOTIFY_OTHER_BASE = 0x1000;  // + the system's own code

// Raw system message numbers the installer's own window procedures see.
inline constexpr unsigned OS_WM_PAINT = 15;
inline constexpr unsigned OS_WM_USER = 1024;

// Window and dialog procedures: window, message, first, second parameter.
using OsWindowProc = std::intptr_t (*)(OsWindow, unsigned, std::uintptr_t, std::intptr_t);
using OsThreadProc = void (*)(void*);

// Per-thread record (os_InitWinThread / os_CleanupWinThread).
struct OsThreadContext {
  unsigned thread_id;  // set by os_InitWinThread, 0 when released
  int initialised;     // 1 while the record is in use
};

struct OsRect {
  int left;
  int bottom;
  int right;
  int top;
};

struct OsWinPos {
  unsigned flags;  // OS_SWP_*
  int height;
  int width;
  int y;  // lower edge, from the parent's lower-left corner, upwards
  int x;
  OsWindow behind;  // insert-behind (os_QueryWinPos fills 0)
  OsWindow window;
};

inline constexpr unsigned OS_SWP_SIZE = 1;
inline constexpr unsigned OS_SWP_MOVE = 2;
inline constexpr unsigned OS_SWP_SHOW = 8;
inline constexpr unsigned OS_SWP_ACTIVATE = 128;
inline constexpr std::intptr_t OS_BEHIND_TOP = 3;   // os_SetWinPos behind: top of the z-order
inline constexpr std::intptr_t OS_BEHIND_KEEP = 0;  // leave the z-order alone

// Paint record: the device context first.
struct OsPaint {
  OsDevice device;
  OsWindow window;
  int height;    // the window's height, for the y-upwards conversion
  void* system;  // the system's own paint data (owned by the layer)
};

// Message box styles: 0x28 information with OK, 0x24 error with OK, a
// question's style + 0x11 gives Yes and No. 0x80 marks a question whose Yes
// would overwrite something: the box shows a warning icon and No is the
// default button, so an absent-minded Enter keeps the user's files.
inline constexpr unsigned OS_MB_INFORMATION = 0x28;
inline constexpr unsigned OS_MB_ERROR = 0x24;
inline constexpr unsigned OS_MB_YESNO = 0x11;
inline constexpr unsigned OS_MB_CAUTION = 0x80;
// os_MessageBox results.
inline constexpr int OS_MBID_YES = 1;
inline constexpr int OS_MBID_NO = 2;
inline constexpr int OS_MBID_OK = 3;
inline constexpr int OS_MBID_NONE = 0;  // failed or closed without a button

// --- start and end -------------------------------------------------------
// os_Initialize(module, ".", 0) starts the layer; (-1, 0, 0) ends it.
int os_Initialize(std::intptr_t module, const char* directory, int flags);
int os_InitWinThread(OsThreadContext* record, int, int);
void os_CleanupWinThread(OsThreadContext* record);
// The program file's full path (at most `size` bytes with the terminator);
// returns its length, 0 on failure.
int os_QueryModuleFileName(char* buffer, int size);

// --- dialogs and messages ------------------------------------------------
// Creates the dialog of template `template_id` hidden (module 0: the
// program's own); `procedure` sees its messages. Returns 0 on failure.
OsWindow os_LoadDlg(OsWindow parent, OsWindow owner, OsWindowProc procedure, OsModule module, int template_id,
                    void* creation_data);
// Runs the dialog modally until os_DismissDlg; returns the dismissal result.
int os_ProcessDlg(OsWindow dialog);
void os_DismissDlg(OsWindow dialog, int result);
int os_TranslateMsg(OsMsg* out, const OsRawMsg* raw);  // returns out->code
std::intptr_t os_DefDlgProc(const OsRawMsg* raw);
std::intptr_t os_DefWinProc(const OsRawMsg* raw);
int os_PostMsg(OsWindow window, unsigned message, std::uintptr_t first, std::intptr_t second);
std::intptr_t os_SendMsg(OsWindow window, unsigned message, std::uintptr_t first, std::intptr_t second);
void os_DestroyWindow(OsWindow window);

// --- windows and controls ------------------------------------------------
OsWindow os_SubWin(OsWindow dialog, int id);
// Copies at most maximum - 1 characters and a terminator; returns the length.
int os_QueryWindowText(OsWindow window, int maximum, char* buffer);
int os_SetWindowText(OsWindow window, const char* text);
int os_CheckControl(OsWindow dialog, int id, int state);
int os_IsButtonChecked(OsWindow dialog, int id);  // 1 or 0
int os_EnableWindow(OsWindow window, int enable);
int os_IsWindowEnabled(OsWindow window);  // 1 or 0
int os_ShowWindow(OsWindow window, int show);
int os_SetFocus(OsWindow window);
// Operation 0: an entry field accepts at most `value` characters.
int os_ContrlMgr(OsWindow field, int operation, int value, int);
int os_QueryWinPos(OsWindow window, OsWinPos* record);
int os_SetWinPos(OsWindow window, std::intptr_t behind, int x, int y, int width, int height, unsigned flags);
int os_QueryWinRect(OsWindow window, OsRect* rect);    // whole window, in its own coordinates
int os_QueryWinClRect(OsWindow window, OsRect* rect);  // client area, in its own coordinates
// Centres `window` over `over` (0: the screen).
int os_CenterWinOverWin(OsWindow over, OsWindow window, int);
// "points.Face", e.g. "8.Courier".
int os_SetFontNameSize(OsWindow window, const char* name_size);
int os_MessageBox(OsWindow owner, const char* title, const char* text, unsigned style);

// --- painting ------------------------------------------------------------
OsPaint* os_BeginPaint(OsWindow window, int, int);
void os_EndPaint(OsPaint* paint);
// rect 0: the whole window. The erased area shows the class background.
int os_InvalidateRcl(OsWindow window, const OsRect* rect, int);
// A one-pixel frame on the rectangle's edge: style -1 the outer, 1 the inner
// line of a sunken frame.
int os_NiceRCL(const OsRect* rect, OsPaint* paint, int style);
OsObject os_CreateSolidBrush(std::uint32_t colour);
// A pattern brush from bitmap resource `bitmap_id` of `module`; the bitmap
// comes back in *bitmap and must be deleted after the brush.
OsObject os_CreatePatternBrush(OsModule module, int bitmap_id, OsObject* bitmap);
int os_FillRect(OsPaint* paint, const OsRect* rect, OsObject brush);
void os_DeleteObject(OsObject object);

// --- window classes ------------------------------------------------------
// Registers a window class of the program's module; see add_window_class.
// Returns the class atom, 0 on failure.
std::uint16_t os_RegisterClass(const char* name, OsWindowProc procedure, unsigned style, int icon_id,
                               int window_bytes);
// A window of a class registered through the layer: a child of `parent`
// (position in the parent's layer coordinates) or, with parent 0, a
// top-level window with a caption and frame (position on the screen).
// Created hidden; returns 0 on failure.
OsWindow os_CreateWindow(const char* class_name, const char* title, OsWindow parent, int x, int y, int width,
                         int height);
// Paints the window's invalid part now.
int os_UpdateWindow(OsWindow window);
std::uint32_t os_QueryWindowULong(OsWindow window, int offset);
void os_SetWindowULong(OsWindow window, int offset, std::uint32_t value);

// --- profile, system values, directories, threads -------------------------
// Operation 2, profile 0: reads `key` of `application` from the user
// profile into buffer; *size is the buffer size in, the text's length out.
// Returns nonzero when the entry exists.
int os_IniMgr(int operation, int profile, const char* application, const char* key, char* buffer, int* size);
// 0 version x 100; 1 platform (4 Windows NT, 1 Windows 95); 7 caption
// height; 10 sizing border height; 11, 12 screen width, height; 17 the
// highlight colour (0x00bbggrr). Unknown numbers give 0.
int os_QuerySysValue(int number);
// Drive, colon, backslash, path. Returns the length, 0 on failure.
int os_QueryCWD(char* buffer, int size);
// Makes `path` (drive included) the current directory; 1 on success.
int os_SetCWD(const char* path);
// Starts procedure(argument) on a new thread; returns 0 on failure.
int os_CreateThread(OsThreadProc procedure, void* argument);

#if defined(VOK_TEST_SEAMS)
// Test builds: os_QuerySysValue(number) returns `value` from now on. The
// environment variable VOK_SYSVALUE_<number> has the same effect in a
// whole program (read at os_Initialize).
void os_TestOverrideSysValue(int number, int value);
void os_TestClearOverrides();
// Drawing objects and paint records the layer handed out and that were not
// yet given back (os_DeleteObject, os_EndPaint): a paint that leaks shows
// as a growing count.
int os_TestLiveDrawingObjects();
// Paints begun through os_BeginPaint since the program started.
int os_TestPaintsBegun();
#endif

// --- assertions ----------------------------------------------------------
// Reports "Assertion failed: <expression>, file <source>, line <line>" on
// standard error (when it exists) and to the debugger, then ends the
// program with abort(): a broken invariant must not go on to touch the
// user's files.
[[noreturn]] void _os_AssertMsg(const char* expression, const char* source, int line);
#define OS_ASSERT(expr) ((expr) ? (void)0 : _os_AssertMsg(#expr, __FILE__, __LINE__))
