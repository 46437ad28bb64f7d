// The entry point of a program's GTK module.
#include "gtk/gtk_backend.h"
#include "gtk/gtk_module.h"

extern "C" orn::Backend* orn_create_gtk_backend(int* argc, char*** argv, const char* program_name) {
    return new orn::gtk::GtkBackend(*argc, *argv, program_name);
}
