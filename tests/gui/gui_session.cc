#include "gui_session.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>

namespace orn::test {

void GuiSession::start() {
    probe_ = std::make_unique<X11Probe>();
    if (!probe_->connected()) {
        skip_reason_ =
            "no X display (DISPLAY is unset or cannot be opened); run under scripts/test.sh";
        return;
    }
    if (!probe_->window_manager_running()) {
        skip_reason_ = "no EWMH window manager runs on the display";
        return;
    }
    backend_ = std::make_unique<gtk::GtkBackend>(argc_, argv_, "gui_tests");
}

void GuiSession::stop() {
    backend_.reset();
    probe_.reset();
}

namespace {

GuiSession session;

class GuiEnvironment : public testing::Environment {
  public:
    void SetUp() override { session.start(); }
    void TearDown() override { session.stop(); }
};

[[maybe_unused]] testing::Environment* const environment =
    testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace

GuiSession& gui_session() {
    return session;
}

void pump_events() {
    while (gtk_events_pending()) gtk_main_iteration_do(false);
}

bool pump_until(const std::function<bool()>& condition, Millis timeout) {
    return poll_until(condition, timeout, pump_events);
}

void pump_for(Millis duration) {
    pump_until([] { return false; }, duration);
}

std::string sample_file(const std::string& relative_path) {
    const char* source = std::getenv("ORN_SOURCE_DIR");
    return std::string(source ? source : ORN_DEFAULT_SOURCE_DIR) + "/data/drive_c/" + relative_path;
}

}  // namespace orn::test
