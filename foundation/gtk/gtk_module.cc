#include "gtk/gtk_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runtime/translation.h"

namespace orn::gtk {

namespace {

// The folder the running program's file is in.
std::string program_folder() {
    std::vector<char> path(4096);
    ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return {};
    std::string file(path.data(), static_cast<std::size_t>(length));
    return file.substr(0, file.rfind('/') + 1);
}

// Opens the module from the first folder that has it: the program's own
// (the build tree), then the library folder the install puts it in. GTK's
// libraries join the global scope as if the program linked them: GtkBuilder
// finds a type by looking its _get_type function up there, and registers
// every type GTK has (a megabyte of code touched) when it is not found.
void* open_module(const char* module_file, std::string& failure) {
    std::string folder = program_folder();
    for (const std::string& candidate :
         {folder + module_file, folder + ORN_MODULE_DIR_FROM_PROGRAM + "/" + module_file}) {
        if (access(candidate.c_str(), F_OK) != 0) continue;
        if (void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_GLOBAL)) return module;
        failure = dlerror();
        return nullptr;
    }
    failure = std::string(module_file) + " is neither in " + folder + " nor in " + folder +
              ORN_MODULE_DIR_FROM_PROGRAM;
    return nullptr;
}

}  // namespace

std::unique_ptr<Backend> load_gtk_backend(const char* module_file, int& argc, char**& argv,
                                          const std::string& program_name) {
    std::string failure;
    void* module = open_module(module_file, failure);
    // The module stays loaded to the end: the backend's code is in it.
    void* entry = module ? dlsym(module, "orn_create_gtk_backend") : nullptr;
    if (!entry) {
        if (module) failure = dlerror();
        std::fprintf(stderr, "%s: %s: %s\n", program_name.c_str(), _("cannot load its GTK module"),
                     failure.c_str());
        // Not exit(): the figure may still be decoding on another thread.
        std::fflush(nullptr);
        _exit(1);
    }
    auto create = reinterpret_cast<decltype(&orn_create_gtk_backend)>(entry);
    return std::unique_ptr<Backend>(create(&argc, &argv, program_name.c_str()));
}

}  // namespace orn::gtk
