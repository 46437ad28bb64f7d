#include "headless/headless_backend.h"

#include <sys/stat.h>
#include <algorithm>
#include <stdexcept>

namespace orn::headless {

// ---- window

HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, const WindowDesign& design,
                               WindowEvents& events)
    : backend_(backend), design_(design), events_(events) {
    titles_.push_back(design.title);
    backend_.windows_.push_back(this);
}

HeadlessWindow::~HeadlessWindow() {
    HeadlessBackend::forget(backend_.windows_, this);
}

FrameExtents HeadlessWindow::frame_extents() {
    return backend_.settings_.frame;
}

int HeadlessWindow::min_client_height() {
    return backend_.settings_.min_client_height;
}

void HeadlessWindow::set_outer_geometry(PixelRect outer) {
    outer_ = outer;
}

void HeadlessWindow::set_maximised(bool maximised, PixelRect outer) {
    maximised_ = maximised;
    outer_ = outer;
}

const std::string& HeadlessWindow::title() const {
    return titles_.back();
}

void HeadlessWindow::user_maximise() {
    maximised_ = true;
    outer_ = backend_.settings_.work_area;
    events_.window_configured(outer_, true);
}

void HeadlessWindow::user_restore(PixelRect outer) {
    maximised_ = false;
    outer_ = outer;
    events_.window_configured(outer_, false);
}

void HeadlessWindow::user_resize(int outer_width, int outer_height) {
    outer_.width = outer_width;
    outer_.height = outer_height;
    events_.window_configured(outer_, maximised_);
}

void HeadlessWindow::user_close() {
    events_.window_close_requested();
}

void HeadlessWindow::press(int button) {
    events_.window_mouse_down(button);
}

// ---- controls

HeadlessButton::HeadlessButton(HeadlessBackend& backend, ControlEvents& events)
    : backend_(backend), events_(events) {
    backend_.buttons_.push_back(this);
}

HeadlessButton::~HeadlessButton() {
    HeadlessBackend::forget(backend_.buttons_, this);
}

void HeadlessButton::click() {
    if (enabled() && visible()) events_.control_clicked();
}

HeadlessImage::HeadlessImage(HeadlessBackend& backend, ControlEvents& events)
    : backend_(backend), events_(events) {
    backend_.images_.push_back(this);
}

HeadlessImage::~HeadlessImage() {
    HeadlessBackend::forget(backend_.images_, this);
}

void HeadlessImage::press(int button) {
    events_.control_mouse_down(button);
}

// A double click is two presses: the first one arrives as a press.
void HeadlessImage::double_click() {
    events_.control_mouse_down(1);
    events_.control_double_clicked();
}

HeadlessBrowser::HeadlessBrowser(HeadlessBackend& backend) : backend_(backend) {
    backend_.browsers_.push_back(this);
}

HeadlessBrowser::~HeadlessBrowser() {
    HeadlessBackend::forget(backend_.browsers_, this);
}

// ---- timer

HeadlessTimer::HeadlessTimer(HeadlessBackend& backend, TimerEvents& events)
    : backend_(backend), events_(events) {
    backend_.timers_.push_back(this);
}

HeadlessTimer::~HeadlessTimer() {
    HeadlessBackend::forget(backend_.timers_, this);
}

void HeadlessTimer::start(int interval_ms) {
    running_ = true;
    interval_ = interval_ms;
    next_due_ = backend_.now_ms_ + interval_ms;
}

// ---- backend

HeadlessBackend::HeadlessBackend(Settings settings) : settings_(settings) {}

template <class T>
void HeadlessBackend::forget(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

std::unique_ptr<WindowPeer> HeadlessBackend::create_window(const WindowDesign& design,
                                                           WindowEvents& events) {
    return std::make_unique<HeadlessWindow>(*this, design, events);
}

std::unique_ptr<ButtonPeer> HeadlessBackend::create_button(WindowPeer&, ControlEvents& events) {
    return std::make_unique<HeadlessButton>(*this, events);
}

std::unique_ptr<ImagePeer> HeadlessBackend::create_image(WindowPeer&, ControlEvents& events) {
    return std::make_unique<HeadlessImage>(*this, events);
}

std::unique_ptr<TimerPeer> HeadlessBackend::create_timer(TimerEvents& events) {
    return std::make_unique<HeadlessTimer>(*this, events);
}

std::unique_ptr<BrowserPeer> HeadlessBackend::create_browser(WindowPeer&, ControlEvents&) {
    return std::make_unique<HeadlessBrowser>(*this);
}

void HeadlessBackend::play_sound(const std::string& host_path) {
    struct stat info {};
    if (stat(host_path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        sounds_.push_back(host_path);
    else
        ++bells_;
}

void HeadlessBackend::show_error(const std::string&, const std::string& message) {
    errors_shown_.push_back(message);
}

void HeadlessBackend::end_program(int status) {
    if (ended_) return;
    ended_ = true;
    exit_status_ = status;
}

void HeadlessBackend::advance(int ms) {
    long long until = now_ms_ + ms;
    for (;;) {
        HeadlessTimer* next = nullptr;
        for (HeadlessTimer* timer : timers_)
            if (timer->running_ && timer->next_due_ <= until &&
                (!next || timer->next_due_ < next->next_due_))
                next = timer;
        if (!next || ended_) break;
        now_ms_ = next->next_due_;
        next->next_due_ += next->interval_;
        next->events_.timer_ticked();
    }
    now_ms_ = until;
}

HeadlessWindow& HeadlessBackend::window() {
    if (windows_.empty()) throw std::logic_error("no window has been created");
    return *windows_.back();
}

}  // namespace orn::headless
