// ornfig: shows one figure of the textbook, named by its item path.
#include "figure/frm1.h"
#include "gtk/gtk_backend.h"
#include "runtime/toolkit.h"

int main(int argc, char** argv) {
    orn::gtk::GtkBackend backend(argc, argv, "ornfig");
    orn::Toolkit toolkit(backend, "ornfig", orn::argument_string_from(argc, argv));
    orn::figure::frm1 form(toolkit);
    return toolkit.run([&] { form.Form_Initialize(); });
}
