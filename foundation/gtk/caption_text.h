// A command button's caption: one short line in one font, drawn with
// cairo's own font selection. It finds the font through fontconfig as a
// text layout would, but needs no shaping engine and no font fallback
// lists, which would cost the start-up milliseconds and megabytes of their
// own. Fonts can be loaded ahead on a thread of their own.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "runtime/backend.h"
#include "runtime/side_task.h"

namespace orn::gtk {

// Draws the caption in the middle of a width x height area, in the font
// at the screen's resolution and with its font options, in cr's source.
void draw_caption(cairo_t* cr, GdkScreen* screen, const FontSpec& font, const std::string& caption,
                  int width, int height);

// Loads fonts before their first caption is drawn: finding and opening a
// font file (and fontconfig's own start) takes milliseconds, which the
// first draw would otherwise spend after the window is shown.
class CaptionFonts {
  public:
    // Starts loading the font on a thread of its own, once per font.
    void prepare(GdkScreen* screen, const FontSpec& font);

  private:
    std::vector<FontSpec> prepared_;
    std::vector<SideTask> loads_;
};

}  // namespace orn::gtk
