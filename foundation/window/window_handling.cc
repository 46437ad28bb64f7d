#include "window/window_handling.h"

#include "runtime/form.h"
#include "runtime/hostpath.h"
#include "runtime/toolkit.h"

namespace orn {

std::int16_t measure_frame_height(Form& form) {
    Single remembered = form.height();
    form.set_height(1);
    std::int16_t frame_height = to_int16(form.height());
    form.set_height(remembered);
    return frame_height;
}

void make_topmost(Form& form) {
    form.window().set_keep_above();
}

void drag_window(Form& form) {
    form.window().begin_drag();
}

void play_sound_async(Toolkit& toolkit, const Text& windows_path) {
    ResolvedPath resolved = resolve_host_path(windows_path, HostEnvironment::from_process());
    toolkit.backend().play_sound(resolved.host_path);
}

}  // namespace orn
