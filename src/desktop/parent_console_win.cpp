#include "desktop/parent_console.h"

#include <windows.h>

#include <cstdio>

namespace miravel::desktop {

namespace {

// A stream already led to a file, a pipe or a terminal keeps going there.
bool led(DWORD stream) {
    HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void useParentConsole() {
    const bool out = led(STD_OUTPUT_HANDLE), err = led(STD_ERROR_HANDLE);
    if (out && err) return;
    // Started from the desktop there is no console to attach to, and none is made.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out) std::freopen("CONOUT$", "w", stdout);
    if (!err) std::freopen("CONOUT$", "w", stderr);
}

} // namespace miravel::desktop
