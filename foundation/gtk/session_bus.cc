#include "gtk/session_bus.h"

#include <glib.h>

namespace orn::gtk {

namespace {

// A bus address of a transport no D-Bus library knows: connecting fails at
// once, where an unset address would make the library launch a bus.
constexpr char kNoBusAddress[] = "disabled:";

// A session bus is named in the environment, or is the one a user session
// of the service manager keeps at $XDG_RUNTIME_DIR/bus.
bool session_bus_available() {
    const char* address = g_getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return true;
    const char* runtime = g_getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    gchar* socket = g_build_filename(runtime, "bus", nullptr);
    bool there = g_file_test(socket, G_FILE_TEST_EXISTS);
    g_free(socket);
    return there;
}

}  // namespace

void stay_off_missing_session_bus() {
    if (session_bus_available()) return;
    g_setenv("DBUS_SESSION_BUS_ADDRESS", kNoBusAddress, TRUE);
    g_setenv("GSETTINGS_BACKEND", "memory", FALSE);
}

}  // namespace orn::gtk
