// A program may take its GTK backend from a module of its own, loaded with
// dlopen once the program has started work that needs no GTK. The dynamic
// loader spends several milliseconds mapping GTK's seventy-odd libraries;
// the figure viewer decodes its figure meanwhile instead of waiting for them.
// The module's undefined symbols are the program's own (it exports them).
#pragma once

#include <memory>
#include <string>

#include "runtime/backend.h"

namespace orn::gtk {

// Loads the GTK module MODULE_FILE (a file name, found next to the program as
// built, or in the program's library folder as installed) and makes its
// backend, as GtkBackend's constructor does. Ends the program with a message
// when the module cannot be loaded.
std::unique_ptr<Backend> load_gtk_backend(const char* module_file, int& argc, char**& argv,
                                          const std::string& program_name);

}  // namespace orn::gtk

// What a GTK module exports: makes the backend.
extern "C" orn::Backend* orn_create_gtk_backend(int* argc, char*** argv, const char* program_name);
