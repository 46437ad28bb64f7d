#include "gtk/before_gtk.h"

#include <fontconfig/fontconfig.h>
#include <glib.h>

#include <cstdlib>
#include <mutex>

namespace orn::gtk {

namespace {

// The theme name the classic look is compiled in under (its resource path
// in classic_look.gresource.xml).
constexpr char kClassicLookTheme[] = "Ornlux";
// Beyond this a GDK_SCALE is no screen's; GTK's own guess is left to stand.
constexpr long kMaxDeviceScale = 8;

}  // namespace

void load_font_configuration() {
    // fontconfig lets threads that ask at once each load it, and keeps one:
    // here the later ones wait for the first instead.
    static std::once_flag loaded;
    std::call_once(loaded, [] { FcInit(); });
}

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
