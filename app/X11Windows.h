#pragma once

#include <sys/types.h>

#include "app/BrowserWindowSite.h"

namespace ostrel {

// The X11 window of the browser process pid whose frame lies closest to
// bounds: a top-level window (listed in the root's _NET_CLIENT_LIST, or a
// child of the root when no window manager keeps that list) whose
// _NET_WM_PID is pid. 0 when there is no X display or no such window.
unsigned long FindBrowserWindow(pid_t pid, const WindowBounds& bounds);

}  // namespace ostrel
