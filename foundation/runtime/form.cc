#include "runtime/form.h"

#include <algorithm>

#include "runtime/controls.h"
#include "runtime/errors.h"
#include "runtime/toolkit.h"
#include "runtime/translation.h"

namespace orn {

namespace {
// Where a window with the system's default position first appears.
constexpr int kDefaultPositionOffset = 24;
// The narrowest a window with a title bar gets, frame included, in pixels:
// the old platform's width for the bar's icon and three buttons (openbox
// needs 80 for its icon, minimise, maximise and close).
constexpr int kMinTitledOuterWidth = 112;
}  // namespace

Text title_shown_for(const Text& caption) {
    if (caption.size() <= kMaxTitleUnits) return caption;
    std::size_t length = kMaxTitleUnits;
    char16_t last = caption[length - 1];
    if (last >= 0xD800 && last <= 0xDBFF) --length;  // a pair's first half
    return caption.substr(0, length);
}

Form::Form(Toolkit& toolkit, FormDesign design) : toolkit_(toolkit), design_(std::move(design)) {}

Form::~Form() = default;

void Form::load_if_needed() {
    if (state_ != LoadState::Unloaded) return;
    state_ = LoadState::Loading;
    caption_ = design_.caption;
    WindowDesign window_design{design_.border, to_display_utf8(design_.caption), design_.icon};
    peer_ = toolkit_.backend().create_window(window_design, *this);
    outer_ = designed_outer_rect();
    normal_outer_ = outer_;
    peer_->set_outer_geometry(outer_);
    create_controls();
    state_ = LoadState::Loaded;
    Form_Load();
}

void Form::create_controls() {
    for (Control* control : controls_) control->create_peer(toolkit_.backend(), *peer_);
    for (Timer* timer : timers_) timer->create_peer(toolkit_.backend());
}

PixelRect Form::designed_outer_rect() {
    FrameExtents frame = peer_->frame_extents();
    PixelRect rect;
    rect.width = toolkit_.to_pixels(design_.client_width) + frame.left + frame.right;
    rect.height = toolkit_.to_pixels(design_.client_height) + frame.top + frame.bottom;
    if (design_.position == StartUpPosition::Manual) {
        rect.x = toolkit_.to_pixels(design_.left);
        rect.y = toolkit_.to_pixels(design_.top);
    } else {
        PixelRect area = toolkit_.backend().work_area();
        rect.x = area.x + kDefaultPositionOffset;
        rect.y = area.y + kDefaultPositionOffset;
    }
    return rect;
}

Single Form::left() {
    load_if_needed();
    return toolkit_.to_twips(outer_.x);
}

Single Form::top() {
    load_if_needed();
    return toolkit_.to_twips(outer_.y);
}

Single Form::width() {
    load_if_needed();
    return toolkit_.to_twips(outer_.width);
}

Single Form::height() {
    load_if_needed();
    return toolkit_.to_twips(outer_.height);
}

void Form::set_left(Single twips) {
    load_if_needed();
    int x = toolkit_.to_pixels(twips);
    if (window_state_ == kWindowMaximised) {
        normal_outer_.x = x;  // takes effect when the window is restored
        return;
    }
    outer_.x = normal_outer_.x = x;
    peer_->set_outer_geometry(outer_);
}

void Form::set_top(Single twips) {
    load_if_needed();
    int y = toolkit_.to_pixels(twips);
    if (window_state_ == kWindowMaximised) {
        normal_outer_.y = y;
        return;
    }
    outer_.y = normal_outer_.y = y;
    peer_->set_outer_geometry(outer_);
}

void Form::set_width(Single twips) {
    load_if_needed();
    resize_to(std::max(toolkit_.to_pixels(twips), min_outer_width()), normal_outer_.height);
}

void Form::set_height(Single twips) {
    load_if_needed();
    // A window is never lower than its frame: asking for 1 twip gives the
    // frame's height, which is how the programs measure it.
    resize_to(normal_outer_.width, std::max(toolkit_.to_pixels(twips), min_outer_height()));
}

int Form::min_outer_width() {
    FrameExtents frame = peer_->frame_extents();
    int narrowest = frame.left + frame.right + std::max(1, peer_->min_client_height());
    // A window with a title bar keeps room for the bar's buttons, as on the
    // platform the programs come from: a narrower one loses its close box.
    bool titled = frame.top > frame.bottom;
    return titled ? std::max(narrowest, kMinTitledOuterWidth) : narrowest;
}

int Form::min_outer_height() {
    FrameExtents frame = peer_->frame_extents();
    return frame.top + frame.bottom + peer_->min_client_height();
}

void Form::check_client_size(int outer_width, int outer_height) {
    FrameExtents frame = peer_->frame_extents();
    int limit = toolkit_.backend().max_window_pixels();
    if (outer_width - frame.left - frame.right > limit ||
        outer_height - frame.top - frame.bottom > limit)
        raise_error(ErrorCode::InvalidPropertyValue,
                    format_text(_("window size %dx%d pixels is more than the display takes"),
                                outer_width, outer_height));
}

// Sizing a maximised window makes it a normal window of that size (the
// other dimension its normal one), as a window manager would on a resize.
void Form::resize_to(int outer_width, int outer_height) {
    check_client_size(outer_width, outer_height);
    bool was_maximised = window_state_ == kWindowMaximised;
    if (!was_maximised && outer_width == outer_.width && outer_height == outer_.height) return;
    PixelRect before = outer_;
    if (was_maximised) outer_ = normal_outer_;
    outer_.width = outer_width;
    outer_.height = outer_height;
    normal_outer_ = outer_;
    window_state_ = kWindowNormal;
    if (was_maximised)
        peer_->set_maximised(false, outer_);
    else
        peer_->set_outer_geometry(outer_);
    if (was_maximised || outer_width != before.width || outer_height != before.height)
        Form_Resize();
}

int Form::window_state() {
    load_if_needed();
    return window_state_;
}

void Form::set_window_state(int state) {
    load_if_needed();
    if (state != kWindowNormal && state != kWindowMaximised)
        raise_error(ErrorCode::InvalidPropertyValue, "WindowState " + std::to_string(state));
    if (state == window_state_) return;
    if (state == kWindowMaximised) {
        normal_outer_ = outer_;
        outer_ = toolkit_.backend().work_area();
    } else {
        outer_ = normal_outer_;
    }
    window_state_ = state;
    peer_->set_maximised(state == kWindowMaximised, outer_);
    Form_Resize();
}

bool Form::visible() {
    load_if_needed();
    return visible_;
}

void Form::set_visible(bool visible) {
    load_if_needed();
    if (visible == visible_) return;
    visible_ = visible;
    peer_->set_visible(visible);
    if (visible && !shown_before_) {
        shown_before_ = true;
        Form_Resize();
    }
}

const Text& Form::caption() {
    load_if_needed();
    return caption_;
}

void Form::set_caption(const Text& caption) {
    load_if_needed();
    caption_ = caption;
    peer_->set_title(to_display_utf8(title_shown_for(caption)));
}

std::uintptr_t Form::hwnd() {
    load_if_needed();
    return peer_->native_handle();
}

WindowPeer& Form::window() {
    load_if_needed();
    return *peer_;
}

void Form::unload() {
    toolkit_.end_program(0);
}

void Form::window_configured(PixelRect outer, bool maximised) {
    toolkit_.run_handler([&] {
        bool state_changed = maximised != (window_state_ == kWindowMaximised);
        bool size_changed = outer.width != outer_.width || outer.height != outer_.height;
        if (maximised && state_changed) normal_outer_ = outer_;
        outer_ = outer;
        if (!maximised) normal_outer_ = outer;
        window_state_ = maximised ? kWindowMaximised : kWindowNormal;
        if (state_changed || size_changed) Form_Resize();
    });
}

void Form::window_close_requested() {
    toolkit_.end_program(0);
}

void Form::window_mouse_down(int button) {
    toolkit_.run_handler([&] { Form_MouseDown(button); });
}

}  // namespace orn
