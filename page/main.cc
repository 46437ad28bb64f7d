// ornpage: shows one supplementary page of the textbook, named by its item path.
#include <glib.h>

#include <cstdio>

#include "gtk/gtk_backend.h"
#include "gtk/session_bus.h"
#include "page/frm_ornpage.h"
#include "page/private_runtime.h"
#include "page/webkit_browser.h"
#include "runtime/command_line.h"
#include "runtime/toolkit.h"
#include "runtime/translation.h"

namespace {

// Translated when it is shown.
constexpr char kUsage[] = N_(R"(Usage: ornpage ITEM-PATH
Shows a supplementary page of the Ornlux textbook in a maximised window above
the others, with buttons to collapse it to a bar and to close it. ITEM-PATH
names the page's item, for example 'C:\Book\htm\p07_2.htm'; the textbook is
found through the configuration file c:\Program Files\Ornlux\orn.ini, on the
drives of $WINEPREFIX (by default ~/.wine).

  --help     show this help and exit
  --version  show the version and exit
  --         end of options: what follows is the item path

See ornpage(1).
)");

}  // namespace

int main(int argc, char** argv) {
    // Before anything else, and before any thread starts: everything the
    // program says is in the user's language.
    orn::use_users_language();
    // --help and --version are answered before GTK starts: they need no display.
    orn::CommandLine command = orn::parse_command_line(argc, argv);
    if (command.action != orn::CommandAction::run)
        return orn::answer_option(command.action, "ornpage", _(kUsage), stdout);

    // The program writes nothing: desktop settings are read from a backend in
    // memory, not from the dconf store and its cache under the home folder
    // (the HTML engine's network process asks for proxy settings there).
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    orn::gtk::stay_off_missing_session_bus();
    // The view draws in software: its frames reach the window through shared
    // memory rather than through a GL stack, which would load Mesa and leave
    // a shader cache under the home folder.
    g_setenv("WEBKIT_DISABLE_DMABUF_RENDERER", "1", FALSE);
    // Before it starts its web process the engine would look for a GPU render
    // node by setting EGL up in this process (Mesa, LLVM: 70-90 ms, 50 MB).
    // Nothing here draws on a GPU, and any value skips the lookup.
    g_setenv("WEBKIT_WEB_RENDER_DEVICE_FILE", "/dev/null", FALSE);
    // Scroll bars always shown, as the textbook's pages had them. The engine
    // draws overlay scroll bars, without compositing, again at every frame
    // while the page stands still.
    g_setenv("GTK_OVERLAY_SCROLLING", "0", FALSE);
    // The sandboxed web process looks like a Flatpak application to GLib,
    // which would then ask the desktop portal whether the system saves power,
    // starting the portal services on the session bus; they would outlive the
    // program, and the web process waits for them to start. GLib's own
    // watcher of the system's power profile, which starts nothing, answers
    // instead.
    g_setenv("GIO_USE_POWER_PROFILE_MONITOR", "dbus", FALSE);
    orn::page::use_private_runtime_folder();
    orn::gtk::GtkBackend backend(argc, argv, "ornpage");
    backend.set_browser_factory(orn::page::make_webkit_browser);
    // GTK has taken its own options (--display ...) out of argv by now.
    // A Cyrillic name that Wine misread is read again before anything uses it.
    orn::Toolkit toolkit(
        backend, "ornpage",
        orn::page::page_argument_as_meant(orn::parse_command_line(argc, argv).argument));
    orn::page::frmOrnpage form(toolkit);
    return toolkit.run([&] { form.Form_Initialize(); });
}
