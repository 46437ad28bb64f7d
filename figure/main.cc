// ornfig: shows one figure of the textbook, named by its item path.
#include "figure/config.h"
#include "figure/frm1.h"
#include "gtk/gtk_backend.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"

int main(int argc, char** argv) {
    // The figure decodes on another core while GTK starts and the window is made.
    orn::Text argument = orn::argument_string_from(argc, argv);
    orn::decode_picture_ahead([argument] { return orn::figure::locate_figure_file(argument); },
                              orn::figure::kStartZoomPercent / 100.0);

    orn::gtk::GtkBackend backend(argc, argv, "ornfig");
    orn::Toolkit toolkit(backend, "ornfig", orn::argument_string_from(argc, argv));
    orn::figure::frm1 form(toolkit);
    return toolkit.run([&] { form.Form_Initialize(); });
}
