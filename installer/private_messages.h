// The setup program's private window messages, in one place.
//
// Both numbers are 1026 (the first private message + 2); they go to
// different windows, so they never meet.
#pragma once

#include "platform/os_layer.h"

// To the main dialog: the installation phase has ended (the worker finished,
// failed or was cancelled, or "Cancel" came before any worker started).
// POSTED with os_PostMsg, from the worker thread as its last act or from the
// dialog itself: the sender must not wait for the dialog, which may be about
// to ask a question or to close.
inline constexpr unsigned UM_INSTALL_FINISHED = OS_WM_USER + 2;

// To the progress bar (control 308): first parameter = new position in
// percent, second parameter 0. SENT with os_SendMsg from the worker thread:
// the system runs the bar's procedure on the dialog's thread, and the worker
// continues only once the position is stored.
inline constexpr unsigned PB_SET_POSITION = OS_WM_USER + 2;

static_assert(UM_INSTALL_FINISHED == 1026 && PB_SET_POSITION == 1026);
