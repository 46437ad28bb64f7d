// ornpage: shows one supplementary page of the textbook, named by its item path.
#include <glib.h>

#include "gtk/gtk_backend.h"
#include "page/frm_ornpage.h"
#include "page/webkit_browser.h"
#include "runtime/toolkit.h"

int main(int argc, char** argv) {
    // The program writes nothing: desktop settings are read from a backend in
    // memory, not from the dconf store and its cache under the home folder
    // (the HTML engine's network process asks for proxy settings there).
    g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
    orn::gtk::GtkBackend backend(argc, argv, "ornpage");
    backend.set_browser_factory(orn::page::make_webkit_browser);
    orn::Toolkit toolkit(backend, "ornpage", orn::argument_string_from(argc, argv));
    orn::page::frmOrnpage form(toolkit);
    return toolkit.run([&] { form.Form_Initialize(); });
}
