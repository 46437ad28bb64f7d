// Forms and timers that go away, or change, while the GTK backend still has
// work queued for them on the main loop: nothing of them may run afterwards.
// Its own executable, because the faults it guards against kill the whole
// process.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "gui_session.h"
#include "runtime/toolkit.h"
#include "test_form.h"

namespace orn::test {
namespace {

TEST(WindowLifetime, FormDestroyedWhileItsGeometrySettlesLeavesNothingRunning) {
    if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    Toolkit toolkit(gui_session().backend(), "gui_tests", u"");
    for (int round = 0; round < 3; ++round) {
        auto form = std::make_unique<TestForm>(toolkit);
        form->show();
        pump_for(Millis(50));
        form->set_width(form->width() + 300);  // a size the window manager has yet to confirm
        form.reset();
        // Past the backend's settling delay: a timer left behind fires now.
        pump_for(Millis(800));
    }
    SUCCEED();
}

TEST(WindowLifetime, FormDestroyedBeforeItsWindowIsShownLeavesNothingRunning) {
    if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    Toolkit toolkit(gui_session().backend(), "gui_tests", u"");
    auto form = std::make_unique<TestForm>(toolkit);
    form->show();  // shown when the main loop next runs
    form.reset();
    pump_for(Millis(300));
    EXPECT_FALSE(gui_session().probe().client_of_pid(getpid()));
}

TEST(WindowLifetime, DestroyedFormTakesItsWindowOffTheScreen) {
    if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    Toolkit toolkit(gui_session().backend(), "gui_tests", u"");
    auto form = std::make_unique<TestForm>(toolkit);
    form->show();
    auto& probe = gui_session().probe();
    ASSERT_TRUE(pump_until([&] { return probe.client_of_pid(getpid()).has_value(); }));
    form.reset();
    EXPECT_TRUE(pump_until([&] { return !probe.client_of_pid(getpid()); }));
}

// A form whose timer changes its own interval on the first tick and stops
// itself on the third.
class TickingForm : public TestForm {
  public:
    explicit TickingForm(Toolkit& toolkit) : TestForm(toolkit) {
        timer.on_timer = [this] {
            ++ticks;
            if (ticks == 1) timer.set_interval(30);
            if (ticks == 3) timer.set_enabled(false);
        };
    }
    Timer timer{*this, 20, true};
    int ticks = 0;
};

TEST(WindowLifetime, TimerRestartedAndStoppedFromItsOwnTickTicksOnlyAsAsked) {
    if (!gui_session().skip_reason().empty()) GTEST_SKIP() << gui_session().skip_reason();
    Toolkit toolkit(gui_session().backend(), "gui_tests", u"");
    TickingForm form(toolkit);
    form.show();
    ASSERT_TRUE(pump_until([&] { return form.ticks >= 3; }));
    // A tick that outlived its restart or its stop would tick on.
    pump_for(Millis(300));
    EXPECT_EQ(form.ticks, 3);
}

}  // namespace
}  // namespace orn::test
