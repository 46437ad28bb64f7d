#include "runtime/controls.h"

#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "runtime/translation.h"

namespace orn {

namespace {
constexpr int kMaxTimerInterval = 65535;
}

// ---- Control

Control::Control(Form& form, const ControlDesign& design)
    : form_(form), design_(design), visible_(design.visible) {
    form.register_control(this);
}

void Control::load_form() {
    form_.load_if_needed();
}

Single Control::left() {
    load_form();
    return form_.toolkit().to_twips(rect_.x);
}

Single Control::top() {
    load_form();
    return form_.toolkit().to_twips(rect_.y);
}

Single Control::width() {
    load_form();
    return form_.toolkit().to_twips(rect_.width);
}

Single Control::height() {
    load_form();
    return form_.toolkit().to_twips(rect_.height);
}

void Control::set_left(Single twips) {
    load_form();
    rect_.x = form_.toolkit().to_pixels(twips);
    apply_geometry();
}

void Control::set_top(Single twips) {
    load_form();
    rect_.y = form_.toolkit().to_pixels(twips);
    apply_geometry();
}

namespace {
int checked_size(Toolkit& toolkit, Single twips) {
    int pixels = toolkit.to_pixels(twips);
    if (twips < 0 || pixels > toolkit.backend().max_window_pixels())
        raise_error(ErrorCode::InvalidPropertyValue,
                    format_text(_("size %s twips"), std::to_string(twips).c_str()));
    return pixels;
}
}  // namespace

void Control::set_width(Single twips) {
    load_form();
    rect_.width = checked_size(form_.toolkit(), twips);
    apply_geometry();
}

void Control::set_height(Single twips) {
    load_form();
    rect_.height = checked_size(form_.toolkit(), twips);
    apply_geometry();
}

void Control::set_pixel_size(int width, int height) {
    rect_.width = width;
    rect_.height = height;
    apply_geometry();
}

bool Control::visible() {
    load_form();
    return visible_;
}

void Control::set_visible(bool visible) {
    load_form();
    visible_ = visible;
    peer().set_visible(visible);
}

void Control::apply_geometry() {
    peer().set_geometry(rect_);
}

// Called by the form while it loads: the designed values become real.
void Control::create_peer_common() {
    Toolkit& toolkit = form_.toolkit();
    rect_ = {toolkit.to_pixels(design_.left), toolkit.to_pixels(design_.top),
             toolkit.to_pixels(design_.width), toolkit.to_pixels(design_.height)};
    apply_geometry();
    peer().set_visible(visible_);
}

// ---- CommandButton

CommandButton::CommandButton(Form& form, ButtonDesign design)
    : Control(form, design.geometry), design_(std::move(design)) {}

void CommandButton::create_peer(Backend& backend, WindowPeer& window) {
    peer_ = backend.create_button(window, *this);
    peer_->set_font(design_.font);
    peer_->set_caption(to_display_utf8(design_.caption));
    peer_->set_picture(design_.style == ButtonStyle::Graphical ? design_.picture : nullptr);
    peer_->set_enabled(design_.enabled);
    create_peer_common();
}

const Text& CommandButton::caption() {
    load_form();
    return design_.caption;
}

void CommandButton::set_caption(const Text& caption) {
    load_form();
    design_.caption = caption;
    peer_->set_caption(to_display_utf8(caption));
}

bool CommandButton::enabled() {
    load_form();
    return design_.enabled;
}

void CommandButton::set_enabled(bool enabled) {
    load_form();
    design_.enabled = enabled;
    peer_->set_enabled(enabled);
}

const Text& CommandButton::tag() {
    load_form();
    return design_.tag;
}

void CommandButton::set_tag(const Text& tag) {
    load_form();
    design_.tag = tag;
}

std::shared_ptr<const Picture> CommandButton::picture() {
    load_form();
    return design_.picture;
}

void CommandButton::set_picture(std::shared_ptr<const Picture> picture) {
    load_form();
    // Handlers that run on a timer set the same picture again and again: only
    // a change is drawn.
    if (picture == design_.picture) return;
    design_.picture = std::move(picture);
    if (design_.style == ButtonStyle::Graphical) peer_->set_picture(design_.picture);
}

void CommandButton::control_clicked() {
    form().toolkit().run_handler([&] {
        if (design_.enabled && on_click) on_click();
    });
}

// ---- Image

Image::Image(Form& form, const ControlDesign& design) : Control(form, design) {}

void Image::create_peer(Backend& backend, WindowPeer& window) {
    peer_ = backend.create_image(window, *this);
    peer_->set_stretch(stretch_);
    create_peer_common();
}

std::shared_ptr<const Picture> Image::picture() {
    load_form();
    return picture_;
}

void Image::set_picture(std::shared_ptr<const Picture> picture) {
    load_form();
    picture_ = std::move(picture);
    peer_->set_picture(picture_);
    if (!stretch_ && picture_) set_pixel_size(picture_->width(), picture_->height());
}

bool Image::stretch() {
    load_form();
    return stretch_;
}

void Image::set_stretch(bool stretch) {
    load_form();
    stretch_ = stretch;
    peer_->set_stretch(stretch);
}

void Image::control_mouse_down(int button) {
    form().toolkit().run_handler([&] {
        if (on_mouse_down) on_mouse_down(button);
    });
}

void Image::control_double_clicked() {
    form().toolkit().run_handler([&] {
        if (on_double_click) on_double_click();
    });
}

// ---- WebBrowser

WebBrowser::WebBrowser(Form& form, const ControlDesign& design) : Control(form, design) {}

void WebBrowser::create_peer(Backend& backend, WindowPeer& window) {
    peer_ = backend.create_browser(window, *this);
    create_peer_common();
}

void WebBrowser::Navigate(const Text& location) {
    load_form();
    peer_->navigate(location);
}

// ---- Timer

Timer::Timer(Form& form, int interval_ms, bool enabled)
    : form_(form), interval_(interval_ms), enabled_(enabled) {
    form.register_timer(this);
}

void Timer::create_peer(Backend& backend) {
    peer_ = backend.create_timer(*this);
    restart();
}

int Timer::interval() {
    form_.load_if_needed();
    return interval_;
}

void Timer::set_interval(int interval_ms) {
    form_.load_if_needed();
    if (interval_ms < 0 || interval_ms > kMaxTimerInterval)
        raise_error(ErrorCode::InvalidPropertyValue, "Interval " + std::to_string(interval_ms));
    interval_ = interval_ms;
    restart();
}

bool Timer::enabled() {
    form_.load_if_needed();
    return enabled_;
}

void Timer::set_enabled(bool enabled) {
    form_.load_if_needed();
    if (enabled == enabled_) return;
    enabled_ = enabled;
    restart();
}

void Timer::restart() {
    if (enabled_ && interval_ > 0)
        peer_->start(interval_);
    else
        peer_->stop();
}

void Timer::timer_ticked() {
    form_.toolkit().run_handler([&] {
        if (on_timer) on_timer();
    });
}

}  // namespace orn
