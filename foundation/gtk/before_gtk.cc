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

}  // namespace

void use_classic_look() {
    // GTK takes the theme GTK_THEME names over the desktop's, and looks it
    // up among the program's resources first, where the GTK backend has
    // registered this one.
    g_setenv("GTK_THEME", kClassicLookTheme, FALSE);
}

int device_scale_from_environment() {
    const char* scale = g_getenv("GDK_SCALE");
    long value = scale ? std::atol(scale) : 1;
    return value >= 1 && value <= kMaxDeviceScale ? static_cast<int>(value) : 1;
}

}  // namespace orn::gtk
