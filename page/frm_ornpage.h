// frmOrnpage, the page window: a supplementary page of the textbook in an
// HTML view, in a maximised window kept above the others, with a button
// that collapses it to a bar and expands it again, and one that closes it.
#pragma once

#include <cstdint>

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/text.h"

namespace orn::page {

// The page file start-up opens for this argument string, found the same way.
Text locate_page_file(const Text& argument);

// The argument string as the starting program meant it: one whose
// Cyrillic name Wine misread is read again when only that reading names a
// page file that is there (see runtime/misread_argument.h).
Text page_argument_as_meant(const Text& argument);

class frmOrnpage : public Form {
  public:
    explicit frmOrnpage(Toolkit& toolkit);

    // Start-up: places the window, locates the page, opens it, reads the
    // caption, places the buttons, starts the ticker and maximises.
    void Form_Initialize();

    // The controls, in creation order.
    CommandButton btn_temp2;  // holds the expand picture
    CommandButton btn_temp;   // holds the collapse picture
    Timer TIMer;
    CommandButton btnEXIT;
    CommandButton btnPRESS;
    WebBrowser WebBrowser1;

    const Text& caption_text() const { return caption_text_; }
    const Text& page_directory() const { return page_directory_; }
    const Text& page_caption_directory() const { return page_caption_directory_; }
    std::int32_t saved_height() const { return saved_height_; }
    std::int32_t saved_width() const { return saved_width_; }
    std::int16_t frame_height() const { return frame_height_; }

    // Event handlers.
    void btnPRESS_Click();
    void btnEXIT_Click();
    void TIMer_Timer();

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_MouseDown(int button) override;

  private:
    void collapse();
    void expand();
    // The window's Width rounded to a whole number and halved.
    std::int32_t button_centre();
    void place_buttons(long exit_offset);

    Text page_directory_;
    Text page_caption_directory_;
    Text caption_text_;
    // 32-bit: a window maximised on a screen wider than 2184 pixels is more
    // than 32767 twips wide.
    std::int32_t saved_height_ = 0;
    std::int32_t saved_width_ = 0;
    std::int16_t frame_height_ = 0;
};

}  // namespace orn::page
