// What start-up does before GTK is loaded. These are linked into the
// program itself, not into its GTK module (see gtk_module.h), so that they
// can run while the module's libraries are still being loaded.
#pragma once

namespace orn::gtk {

// Gives the windows the classic look: a light grey window and raised
// buttons, a GTK theme of a few rules compiled into the program. The
// desktop's theme is thousands of rules that take about 15 ms to load at
// start-up. The classic look has no rules for menus or text entries, so
// windows with an HTML view keep the desktop's. A theme the user names in
// GTK_THEME is kept. It tells GTK through the environment, so it is called
// before GTK starts and before the program starts any thread.
void use_classic_look();

// Where no D-Bus session bus runs (a bare X session, ssh -X, a kiosk), the
// libraries under GTK would start one through dbus-launch, and through it
// an accessibility bus, daemons that outlive the program and leave files
// under the home folder; the settings store would write its cache there
// too. In such a session this process alone names a bus address no library
// can connect to, so none is launched, and reads settings from memory. The
// accessibility bridge stays: it still finds an accessibility bus that the
// display announces. With a bus nothing changes. Called before GTK starts
// and before the program starts any thread, as it sets the environment.
void stay_off_missing_session_bus();

// The device pixels across one of GTK's pixels that GDK_SCALE will give,
// read as GTK reads it; 1 without it (a desktop's own scaling is known only
// once GTK has started).
int device_scale_from_environment();

}  // namespace orn::gtk
