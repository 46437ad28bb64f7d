// bench_zoom_step [-n CYCLES] ITEMPATH: how long one zoom step of ornfig's
// figure window takes, in process, from the button's handler being called to
// the repainted window being on the X server. Each cycle steps 50->60->50->40->50
// percent; every step is reported on its own (median, min-max), with the part
// the handler itself took. Needs a display (with a window manager, as ornfig
// is used) and WINEPREFIX pointing at the textbook.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "figure/frm1.h"
#include "gtk/gtk_backend.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"

// After the project's headers: Xlib's macros would clash with them.
#include <gdk/gdkx.h>

#include "repaint_probe.h"

namespace {

using orn::bench::RepaintProbe;
using orn::bench::Size;

constexpr int kRepaintTimeoutMs = 20000;
// Lets the window manager place the new window before the first step.
constexpr int kStartSettleMs = 1000;
// A pause between steps, as between a user's clicks.
constexpr int kStepGapMs = 200;

struct Options {
    int cycles = 10;
    std::string item;
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "bench_zoom_step: %s\n", message.c_str());
    std::exit(1);
}

Options parse_options(int argc, char** argv) {
    Options options;
    int i = 1;
    if (i + 1 < argc && std::string(argv[i]) == "-n") {
        options.cycles = std::atoi(argv[i + 1]);
        i += 2;
    }
    if (i + 1 != argc || options.cycles < 1) fail("usage: bench_zoom_step [-n CYCLES] ITEMPATH");
    options.item = argv[i];
    return options;
}

// The GtkWindow of the form, found through its X window.
GtkWidget* toplevel_of(orn::Form& form) {
    GdkWindow* window = gdk_x11_window_lookup_for_display(gdk_display_get_default(),
                                                          static_cast<Window>(form.hwnd()));
    gpointer widget = nullptr;
    if (window) gdk_window_get_user_data(window, &widget);
    if (!widget) fail("the form has no GTK window");
    return GTK_WIDGET(widget);
}

// The picture control: the drawing area placed directly in the window's
// layout (the buttons' faces sit inside their buttons).
GtkWidget* picture_widget(GtkWidget* window) {
    GtkWidget* layout = gtk_bin_get_child(GTK_BIN(window));
    GList* children = gtk_container_get_children(GTK_CONTAINER(layout));
    GtkWidget* found = nullptr;
    for (GList* child = children; child && !found; child = child->next)
        if (GTK_IS_DRAWING_AREA(child->data)) found = GTK_WIDGET(child->data);
    g_list_free(children);
    if (!found) fail("the window has no picture widget");
    return found;
}

// What the screen must show once a step is done: sizes the form asked for.
struct Target {
    Size picture;
    Size window;
};

Target target_of(orn::figure::frm1& form) {
    orn::Toolkit& toolkit = form.toolkit();
    orn::FrameExtents frame = form.window().frame_extents();
    return {{toolkit.to_pixels(form.image1.width()), toolkit.to_pixels(form.image1.height())},
            {toolkit.to_pixels(form.width()) - frame.left - frame.right,
             toolkit.to_pixels(form.height()) - frame.top - frame.bottom}};
}

std::string text(Size size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

gint64 wait_for_target(RepaintProbe& probe, const Target& target) {
    gint64 at = probe.wait_for(target.picture, target.window, kRepaintTimeoutMs);
    if (at < 0)
        fail("no repaint with the picture at " + text(target.picture) + " in a " +
             text(target.window) + " window within " + std::to_string(kRepaintTimeoutMs) +
             " ms (last: picture " + text(probe.last_picture()) + ", window " +
             text(probe.last_window()) + ")");
    return at;
}

struct Timings {
    std::vector<double> total_ms;       // call -> repainted window on the server
    std::vector<double> handler_ms;     // call -> handler returned
    std::vector<double> draw_start_ms;  // call -> the picture's drawing began
};

// "median [min-max]" of the values.
std::string summary(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    char text[64];
    std::snprintf(text, sizeof text, "%.1f [%.1f-%.1f]", median, values.front(), values.back());
    return text;
}

// One zoom step: the button's handler, then the repaint it causes.
void step(orn::figure::frm1& form, RepaintProbe& probe, bool zoom_in,
          std::map<std::string, Timings>& results) {
    std::string name = std::to_string(form.zoom_percent()) + "->";
    probe.reset();
    gint64 start = g_get_monotonic_time();
    form.toolkit().run_handler([&] { zoom_in ? form.comm2_Click() : form.comm1_Click(); });
    gint64 returned = g_get_monotonic_time();
    gint64 painted = wait_for_target(probe, target_of(form));
    name += std::to_string(form.zoom_percent());
    Timings& timings = results[name];
    timings.total_ms.push_back((painted - start) / 1000.0);
    timings.handler_ms.push_back((returned - start) / 1000.0);
    timings.draw_start_ms.push_back((probe.last_draw_start() - start) / 1000.0);
    orn::bench::run_main_loop_for(kStepGapMs);
}

void report(const Options& options, orn::figure::frm1& form,
            const std::map<std::string, Timings>& results) {
    auto picture = form.image1.picture();
    std::printf("zoom steps on %s (%dx%d), %d cycles 50->60->50->40->50\n", options.item.c_str(),
                picture ? picture->width() : 0, picture ? picture->height() : 0, options.cycles);
    std::printf(
        "ms from the click handler's call to: the handler's return, the start of\n"
        "the picture's last drawing, the repainted window on the X server;\n"
        "median [min-max]\n");
    std::printf("%-7s %-24s %-24s %s\n", "step", "handler", "drawing", "repainted");
    for (const char* name : {"50->60", "60->50", "50->40", "40->50"}) {
        auto found = results.find(name);
        if (found == results.end()) continue;
        const Timings& timings = found->second;
        std::printf("%-7s %-24s %-24s %s\n", name, summary(timings.handler_ms).c_str(),
                    summary(timings.draw_start_ms).c_str(), summary(timings.total_ms).c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    orn::gtk::use_classic_look();  // as ornfig looks
    orn::gtk::GtkBackend backend(argc, argv, "bench_zoom_step");
    Options options = parse_options(argc, argv);
    orn::Toolkit toolkit(backend, "bench_zoom_step", orn::from_utf8(options.item));
    orn::figure::frm1 form(toolkit);
    toolkit.run_handler([&] { form.Form_Initialize(); });

    GtkWidget* window = toplevel_of(form);
    RepaintProbe probe(window, picture_widget(window));
    wait_for_target(probe, target_of(form));
    orn::bench::run_main_loop_for(kStartSettleMs);

    std::map<std::string, Timings> results;
    for (int cycle = 0; cycle < options.cycles; ++cycle) {
        for (bool zoom_in : {true, false, false, true}) step(form, probe, zoom_in, results);
    }
    report(options, form, results);
    return 0;
}
