// What the programs do about a missing D-Bus session bus, before GTK starts.
#pragma once

namespace orn::gtk {

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

}  // namespace orn::gtk
