// A small form for the GUI tests: a picture that moves the window when
// pressed, a command button, and counters of what reached each handler.
#pragma once

#include "runtime/controls.h"
#include "runtime/form.h"

namespace orn::test {

// Where things are, in pixels of the client area (at 15 twips a pixel).
inline constexpr int kFormLeftPx = 100;
inline constexpr int kFormTopPx = 100;
inline constexpr int kClientWidthPx = 500;
inline constexpr int kClientHeightPx = 400;
inline constexpr int kPictureLeftPx = 8;  // the picture is 320x240
inline constexpr int kPictureTopPx = 8;
inline constexpr int kButtonLeftPx = 360;
inline constexpr int kButtonTopPx = 300;

class TestForm : public Form {
  public:
    // Designed with its outer top-left corner at (left_px, top_px).
    explicit TestForm(Toolkit& toolkit, int left_px = kFormLeftPx, int top_px = kFormTopPx);

    orn::Image image;  // the control, not a grabbed test image
    CommandButton button;

    int form_presses = 0;
    int last_form_button = 0;
    int image_presses = 0;
    int double_clicks = 0;
    int button_clicks = 0;

  protected:
    void Form_MouseDown(int button) override;
};

}  // namespace orn::test
