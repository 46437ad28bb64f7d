#include "gtk/before_gtk.h"

#include <fontconfig/fontconfig.h>
#include <glib.h>

namespace orn::gtk {

namespace {

// The theme name the classic look is compiled in under (its resource path
// in classic_look.gresource.xml).
constexpr char kClassicLookTheme[] = "Ornlux";

}  // namespace

void load_font_configuration() {
    FcInit();
}

void use_classic_look() {
    // GTK takes the theme GTK_THEME names over the desktop's, and looks it
    // up among the program's resources first, where the GTK backend has
    // registered this one.
    g_setenv("GTK_THEME", kClassicLookTheme, FALSE);
}

}  // namespace orn::gtk
