#pragma once

#include <X11/Xlib.h>

/** Replaces Xlib's default error handler, which ends the process, with one that ignores
    the error.

    The framework only replaces it in an application started through its own entry point,
    which a test executable is not, and window managers' optional atoms (absent on a bare X
    server such as Xvfb) give harmless BadAtom errors on every window put on the desktop.
    Call it once the framework's GUI support is initialised. Include this header after all
    others: Xlib's macros (None, Status, ...) clash with names in the framework's headers.
*/
inline void ignoreXErrors()
{
    XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
}
