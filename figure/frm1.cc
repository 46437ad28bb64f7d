#include "figure/frm1.h"

#include <cmath>

#include "content/location.h"
#include "figure/config.h"
#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/misread_argument.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "window/caption_ticker.h"
#include "window/window_handling.h"

namespace orn::figure {

namespace {

FormDesign form_design() {
    FormDesign design;
    design.caption = kFormCaption;
    design.border = BorderStyle::FixedSingle;
    design.client_width = 5490;
    design.client_height = 4695;
    design.position = StartUpPosition::Manual;
    design.left = 0;
    design.top = 0;
    design.icon = kIcon;
    return design;
}

ButtonDesign button_design(ControlDesign geometry, const Text& caption) {
    ButtonDesign design;
    design.geometry = geometry;
    design.caption = caption;
    design.font = kButtonFont;
    return design;
}

// floor(zoom percent x natural size / 100), at double precision between
// the multiplication and the division.
Single zoomed(std::int16_t zoom_percent, Single natural) {
    double product = static_cast<double>(static_cast<Single>(zoom_percent)) * natural;
    return to_single(std::floor(product / 100));
}

}  // namespace

Text locate_figure_file(const Text& argument) {
    Text item_name = item_name_from_argument(argument);
    Text root = read_content_roots(item_name).content_root;
    return figure_directory(root) + item_stem(item_name).stem + u".jpg";
}

Text figure_argument_as_meant(const Text& argument) {
    return argument_as_meant(argument, [](const Text& candidate) {
        try {
            return resolve_host_path(locate_figure_file(candidate), HostEnvironment::from_process())
                       .lookup == HostLookup::Found;
        } catch (const RuntimeError&) {
            return false;  // start-up meets the error again and reports it
        }
    });
}

frm1::frm1(Toolkit& toolkit)
    : Form(toolkit, form_design()),
      image1(*this, {120, 120, 5415, 3975}),
      comm1(*this, button_design({360, 4200, 1695, 495}, kZoomOutCaption)),
      comm2(*this, button_design({2280, 4200, 1290, 495}, kZoomInCaption)),
      timer(*this, 50, true) {
    comm1.on_click = [this] { comm1_Click(); };
    comm2.on_click = [this] { comm2_Click(); };
    image1.on_double_click = [this] { image1_DblClick(); };
    image1.on_mouse_down = [this](int button) { image1_MouseDown(button); };
    timer.on_timer = [this] { timer_Timer(); };
}

void frm1::measure_frame_allowance() {
    frame_allowance_ = sub_int16(measure_frame_height(*this), kFrameAllowanceReduction);
}

void frm1::Form_Load() {
    measure_frame_allowance();
    show();
}

void frm1::Form_Initialize() {
    measure_frame_allowance();  // the first use of the form: loads it

    item_name_ = item_name_from_argument(toolkit().argument_string());
    content_root_ = read_content_roots(item_name_).content_root;
    figure_directory_ = figure_directory(content_root_);
    figure_caption_directory_ = figure_caption_directory(content_root_);

    zoom_percent_ = kStartZoomPercent;
    comm1.set_caption(kZoomOutCaption);
    comm2.set_caption(kZoomInCaption);
    make_topmost(*this);

    ItemStem stem = item_stem(item_name_);
    item_stem_ = stem.stem;
    self_answer_mark_ = stem.self_answer ? u"1" : u"0";
    figure_file_ = figure_directory_ + item_stem_ + u".jpg";
    caption_file_ = figure_caption_directory_ + item_name_;

    set_visible(false);
    image1.set_stretch(false);
    reload_picture();
    natural_width_ = image1.width();
    natural_height_ = image1.height();

    size_picture_and_window();
    caption_text_ = caption_text_from_line(read_caption_line(caption_file_));
    if (self_answer()) caption_text_ = kSelfAnswerCaption;
    place_buttons();

    start_ticker(timer);
}

void frm1::LayoutForZoom() {
    size_picture_and_window();
    place_buttons();
}

void frm1::size_picture_and_window() {
    image1.set_stretch(true);
    image1.set_height(zoomed(zoom_percent_, natural_height_));
    image1.set_width(zoomed(zoom_percent_, natural_width_));
    image1.set_left(10);
    image1.set_top(10);
    set_width(to_single(image1.width() + 20.0 + 80.0));
    set_height(to_single(double(image1.height()) + 495.0 + frame_allowance_));
    set_visible(true);
}

void frm1::place_buttons() {
    bool wide = width() > kLongCaptionMinWidth;
    comm1.set_caption(wide ? kZoomOutCaption : kZoomOutShortCaption);
    comm2.set_caption(wide ? kZoomInCaption : kZoomInShortCaption);

    Single picture_width = image1.width();
    Single picture_height = image1.height();
    comm1.set_left(10);
    comm1.set_top(to_single(double(picture_height) + 15));
    comm1.set_visible(true);
    std::int32_t half_width = to_int32(picture_width) / 2;  // whole twips, the remainder dropped
    comm1.set_width(static_cast<Single>(half_width - 10));
    comm2.set_left(to_single(std::floor(picture_width / 2.0) + 20));
    comm2.set_top(to_single(double(picture_height) + 15));
    comm2.set_width(comm1.width());
    comm2.set_visible(true);
    comm1.set_height(
        to_single(double(height()) - frame_allowance_ - 10 - picture_height - 15 - 10));
    comm2.set_height(comm1.height());
}

void frm1::reload_picture() {
    image1.set_picture(LoadPicture(figure_file_, zoom_percent_ / 100.0));
}

void frm1::play_click() {
    play_sound_async(toolkit(), click_sound_path(content_root_));
}

void frm1::comm1_Click() {
    play_click();
    if (zoom_percent_ != kMinZoomPercent) {
        zoom_percent_ = sub_int16(zoom_percent_, kZoomStep);
        reload_picture();
        LayoutForZoom();
    }
    if (zoom_percent_ == kMinZoomPercent) comm1.set_enabled(false);
}

void frm1::comm2_Click() {
    play_click();
    // Any run-time error while zooming in is dropped: the zoom percent keeps
    // what it reached, the window what the interrupted steps left.
    try {
        zoom_percent_ = add_int16(zoom_percent_, kZoomStep);
        reload_picture();
        LayoutForZoom();
    } catch (const RuntimeError&) {
    }
    if (zoom_percent_ != kMinZoomPercent) comm1.set_enabled(true);
}

void frm1::image1_DblClick() {
    play_click();
    if (zoom_percent_ == kFullZoomPercent) {
        zoom_percent_ = kMinZoomPercent;
        comm1.set_enabled(false);
    } else {
        zoom_percent_ = kFullZoomPercent;
        comm1.set_enabled(true);
    }
    reload_picture();
    LayoutForZoom();
}

void frm1::image1_MouseDown(int /*button*/) {
    drag_window(*this);
}

void frm1::timer_Timer() {
    ticker_step(*this, timer, caption_text_);
}

}  // namespace orn::figure
