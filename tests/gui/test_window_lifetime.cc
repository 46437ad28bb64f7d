// A form destroyed while the GTK backend still waits for its window's
// geometry to settle: nothing of it may run afterwards. Its own executable,
// because the fault it guards against kills the whole process.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace orn::test
