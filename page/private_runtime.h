// A session without XDG_RUNTIME_DIR would have the HTML engine keep its
// sandbox's run-time files under ~/.cache. ornpage then gives it a private
// folder under the temporary directory, removed when the program ends,
// however it ends.
#pragma once

namespace orn::page {

// Call before any thread or child process starts.
void use_private_runtime_folder();

}  // namespace orn::page
