// frm1, the figure window: one JPEG figure at a zoom percent of its natural
// size, with the zoom-out and zoom-in buttons under it, kept above other
// windows, its caption scrolling through the title bar.
#pragma once

#include <cstdint>

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/text.h"

namespace orn::figure {

// The figure file that start-up will load for this argument string, found
// the same way; for decoding it ahead while the window is being created.
Text locate_figure_file(const Text& argument);

// The argument string as the starting program meant it: one whose
// Cyrillic name Wine misread is read again when only that reading names a
// figure file that is there (see runtime/misread_argument.h).
Text figure_argument_as_meant(const Text& argument);

class frm1 : public Form {
  public:
    explicit frm1(Toolkit& toolkit);

    // Start-up: locates the item, loads and lays out the figure, reads the
    // caption and starts the ticker.
    void Form_Initialize();

    // Sizes the picture, the window and both buttons for the zoom percent.
    void LayoutForZoom();

    // The controls, in creation order.
    Image image1;
    CommandButton comm1;  // zoom out
    CommandButton comm2;  // zoom in
    Timer timer;

    std::int16_t zoom_percent() const { return zoom_percent_; }
    const Text& caption_text() const { return caption_text_; }
    const Text& figure_file() const { return figure_file_; }
    const Text& caption_file() const { return caption_file_; }
    const Text& content_root() const { return content_root_; }
    bool self_answer() const { return self_answer_mark_ == u"1"; }

    // Event handlers.
    void comm1_Click();
    void comm2_Click();
    void image1_DblClick();
    void image1_MouseDown(int button);
    void timer_Timer();

  protected:
    void Form_Load() override;

  private:
    // LayoutForZoom in two halves: start-up reads the caption between them.
    void size_picture_and_window();
    void place_buttons();
    void measure_frame_allowance();
    void reload_picture();
    void play_click();

    // State kept between events.
    std::int16_t zoom_percent_ = 0;
    Text item_stem_;
    Text caption_text_;
    Single natural_width_ = 0;
    Single natural_height_ = 0;
    Text item_name_;
    Text figure_directory_;
    Text figure_caption_directory_;
    Text self_answer_mark_;
    std::int16_t frame_allowance_ = 0;
    Text content_root_;
    Text figure_file_;
    Text caption_file_;
};

}  // namespace orn::figure
