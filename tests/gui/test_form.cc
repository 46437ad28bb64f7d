#include "test_form.h"

#include "window/window_handling.h"

namespace orn::test {

namespace {

constexpr Single kTwips = 15;

FormDesign test_form_design(int left_px, int top_px) {
    FormDesign design;
    design.caption = u"Проверка окна";
    design.border = BorderStyle::FixedSingle;
    design.client_width = kClientWidthPx * kTwips;
    design.client_height = kClientHeightPx * kTwips;
    design.position = StartUpPosition::Manual;
    design.left = left_px * kTwips;
    design.top = top_px * kTwips;
    return design;
}

ButtonDesign test_button_design() {
    ButtonDesign design;
    design.geometry = {kButtonLeftPx * kTwips, kButtonTopPx * kTwips, 1500, 495};
    design.caption = u"кнопка";
    return design;
}

}  // namespace

TestForm::TestForm(Toolkit& toolkit, int left_px, int top_px)
    : Form(toolkit, test_form_design(left_px, top_px)),
      image(*this, {kPictureLeftPx * kTwips, kPictureTopPx * kTwips, 0, 0}),
      button(*this, test_button_design()) {
    image.on_mouse_down = [this](int) {
        ++image_presses;
        drag_window(*this);
    };
    image.on_double_click = [this] { ++double_clicks; };
    button.on_click = [this] { ++button_clicks; };
}

void TestForm::Form_MouseDown(int button) {
    ++form_presses;
    last_form_button = button;
}

}  // namespace orn::test
