#include "page/frm_ornpage.h"

#include "content/location.h"
#include "page/button_pictures.h"
#include "page/config.h"
#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/misread_argument.h"
#include "runtime/numeric.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "window/caption_ticker.h"
#include "window/window_handling.h"

namespace orn::page {

namespace {

FormDesign form_design() {
    FormDesign design;
    design.caption = kFormCaption;
    design.border = BorderStyle::Sizable;
    design.client_width = 8820;
    design.client_height = 4725;
    design.position = StartUpPosition::WindowsDefault;
    design.icon = kIcon;
    return design;
}

ButtonDesign picture_button(ControlDesign geometry, const Text& word, const Text& tag = {}) {
    ButtonDesign design;
    design.geometry = geometry;
    design.font = kButtonFont;
    design.style = ButtonStyle::Graphical;
    design.picture = button_picture(word);
    design.tag = tag;
    return design;
}

// A Left of the button centre plus an offset: a 32-bit value, handed on as
// a single-precision number.
Single offset_from(std::int32_t centre, long offset) {
    return static_cast<Single>(to_int32(static_cast<double>(centre) + offset));
}

}  // namespace

frmOrnpage::frmOrnpage(Toolkit& toolkit)
    : Form(toolkit, form_design()),
      btn_temp2(*this, picture_button({120, 600, 1815, 495, false}, kExpandWord)),
      btn_temp(*this, picture_button({0, 0, 1935, 495, false}, kCollapseWord)),
      TIMer(*this, 0, true),
      btnEXIT(*this, picture_button({4745, 0, 1970, 345}, kCloseWord)),
      btnPRESS(*this, picture_button({2105, 0, 1970, 345}, kCollapseWord, kCollapseTag)),
      WebBrowser1(*this, {30, 480, 8655, 4215}) {
    btnPRESS.on_click = [this] { btnPRESS_Click(); };
    btnEXIT.on_click = [this] { btnEXIT_Click(); };
    TIMer.on_timer = [this] { TIMer_Timer(); };
}

Text locate_page_file(const Text& argument) {
    Text item_name = item_name_from_argument(argument);
    Text root = read_content_roots(item_name).content_root;
    item_stem(item_name);  // the length check
    return orn::page_directory(root) + page_name(item_name) + u".htm";
}

Text page_argument_as_meant(const Text& argument) {
    return argument_as_meant(argument, [](const Text& candidate) {
        try {
            return resolve_host_path(locate_page_file(candidate), HostEnvironment::from_process())
                       .lookup == HostLookup::Found;
        } catch (const RuntimeError&) {
            return false;  // start-up meets the error again and reports it
        }
    });
}

void frmOrnpage::Form_Load() {
    show();
}

void frmOrnpage::Form_Initialize() {
    set_left(0);  // the first use of the form: loads and shows it
    set_top(0);
    frame_height_ = measure_frame_height(*this);

    Text item_name = item_name_from_argument(toolkit().argument_string());
    Text content_root = read_content_roots(item_name).content_root;
    page_directory_ = orn::page_directory(content_root);
    page_caption_directory_ = orn::page_caption_directory(content_root);
    make_topmost(*this);

    item_stem(item_name);  // the length check holds here too
    Text page_file = page_directory_ + page_name(item_name) + u".htm";
    WebBrowser1.Navigate(page_file);

    caption_text_ = caption_text_from_line(read_caption_line(page_caption_directory_ + item_name));
    set_caption(caption_text_);

    place_buttons(kExitOffset);
    start_ticker(TIMer);
    set_window_state(kWindowMaximised);
}

std::int32_t frmOrnpage::button_centre() {
    return to_int32(width()) / 2;
}

void frmOrnpage::place_buttons(long exit_offset) {
    std::int32_t centre = button_centre();
    btnPRESS.set_left(offset_from(centre, kPressOffset));
    btnEXIT.set_left(offset_from(centre, exit_offset));
}

void frmOrnpage::Form_Resize() {
    WebBrowser1.set_width(to_single(double(width()) - kBrowserWidthMargin));
    Single d = to_single(double(height()) - btnEXIT.height() - frame_height_);
    if (!(d > 0)) return;
    WebBrowser1.set_top(to_single(double(btnEXIT.top()) + kBrowserGap + btnEXIT.height()));
    WebBrowser1.set_height(d);
    place_buttons(kExitOffset);
}

void frmOrnpage::btnPRESS_Click() {
    if (btnPRESS.tag() == kExpandTag)
        expand();
    else if (btnPRESS.tag() == kCollapseTag)
        collapse();
}

void frmOrnpage::collapse() {
    btnPRESS.set_tag(kExpandTag);
    btnPRESS.set_picture(btn_temp2.picture());
    saved_height_ = to_int32(height());
    saved_width_ = to_int32(width());
    if (window_state() == kWindowMaximised) set_window_state(kWindowNormal);
    set_width(kCollapsedWidth);
    set_height(to_single(double(btnEXIT.height()) + btnEXIT.top() + frame_height_));
    WebBrowser1.set_visible(false);
    place_buttons(kExitCollapsedOffset);
}

void frmOrnpage::expand() {
    btnPRESS.set_tag(kCollapseTag);
    btnPRESS.set_picture(btn_temp.picture());
    WebBrowser1.set_visible(true);
    set_height(static_cast<Single>(saved_height_));
    set_width(static_cast<Single>(saved_width_));
}

void frmOrnpage::btnEXIT_Click() {
    unload();
}

void frmOrnpage::TIMer_Timer() {
    ticker_step(*this, TIMer, caption_text_);
    // A collapsed window maximised through its title bar shows the page again.
    if (window_state() != kWindowMaximised) return;
    WebBrowser1.set_visible(true);
    btnPRESS.set_tag(kCollapseTag);
    btnPRESS.set_picture(btn_temp.picture());
}

void frmOrnpage::Form_MouseDown(int /*button*/) {
    drag_window(*this);
}

}  // namespace orn::page
