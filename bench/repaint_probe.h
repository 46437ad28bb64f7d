// Watches the repaints of a top-level GTK window and runs the main loop
// until a change has reached the screen: the picture widget drawn at its new
// size, the window at its new size, the frame painted and the X server done
// with it.
#pragma once

#include <gtk/gtk.h>

namespace orn::bench {

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

class RepaintProbe {
  public:
    // window: a realized GtkWindow; picture: the widget inside it to watch.
    RepaintProbe(GtkWidget* window, GtkWidget* picture);
    ~RepaintProbe();
    RepaintProbe(const RepaintProbe&) = delete;
    RepaintProbe& operator=(const RepaintProbe&) = delete;

    // Forgets what was drawn so far: the next wait needs a new drawing.
    void reset();

    // Runs the main loop until the end of a frame for which the picture was
    // drawn at `picture` size since the last reset and the window's client
    // area is `window` large, then waits for the X server to have drawn it.
    // Returns g_get_monotonic_time() at that point, or -1 after timeout_ms.
    gint64 wait_for(Size picture, Size window, int timeout_ms);

    // When the picture's last drawing began (g_get_monotonic_time()).
    gint64 last_draw_start() const { return drawn_at_; }

    // The sizes last seen, for a message when a wait timed out.
    Size last_picture() const { return drawn_; }
    Size last_window() const;

  private:
    static gboolean on_draw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static void on_after_paint(GdkFrameClock* clock, gpointer self);

    GtkWidget* window_;
    GtkWidget* picture_;
    GdkFrameClock* clock_;
    gulong draw_handler_ = 0;
    gulong paint_handler_ = 0;

    Size drawn_;  // the picture's size at its last drawing since reset
    gint64 drawn_at_ = -1;
    Size want_picture_, want_window_;
    bool waiting_ = false;
    gint64 done_at_ = -1;
};

// Runs the main loop for `ms` milliseconds.
void run_main_loop_for(int ms);

}  // namespace orn::bench
