#include "gtk/before_gtk.h"

#include <glib.h>

#include <cstdlib>

namespace orn::gtk {

namespace {

// The theme name the classic look is compiled in under (its resource path
// in classic_look.gresource.xml).
constexpr char kClassicLookTheme[] = "Ornlux";
// Beyond this a GDK_SCALE is no screen's; GTK's own guess is left to stand.
constexpr long kMaxDeviceScale = 8;
// A bus address of a transport no D-Bus library knows: connecting fails at
// once, where an unset address would make the library launch a bus.
constexpr char kNoBusAddress[] = "disabled:";

}  // namespace

void use_classic_look() {
    // GTK takes the theme GTK_THEME names over the desktop's, and looks it
    // up among the program's resources first, where the GTK backend has
    // registered this one.
    g_setenv("GTK_THEME", kClassicLookTheme, FALSE);
}

namespace {
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

int device_scale_from_environment() {
    const char* scale = g_getenv("GDK_SCALE");
    long value = scale ? std::atol(scale) : 1;
    return value >= 1 && value <= kMaxDeviceScale ? static_cast<int>(value) : 1;
}

}  // namespace orn::gtk
