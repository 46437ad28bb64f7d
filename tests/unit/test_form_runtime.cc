// The toolkit model's rules, run on the headless backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless/headless_backend.h"
#include "runtime/controls.h"
#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/message_text.h"
#include "runtime/toolkit.h"
#include "window/window_handling.h"

namespace orn {
namespace {

using headless::HeadlessBackend;
using headless::Settings;

// A form that logs its handlers, so tests can check what ran and when.
class LoggingForm : public Form {
  public:
    explicit LoggingForm(Toolkit& toolkit, FormDesign design = designed())
        : Form(toolkit, std::move(design)),
          button(*this,
                 ButtonDesign{
                     {100, 100, 900, 300}, u"OK", {}, ButtonStyle::Standard, nullptr, u"", true}),
          picture_box(*this, {0, 0, 600, 600}),
          ticker(*this, 50, true) {
        button.on_click = [this] { log.push_back("click"); };
        ticker.on_timer = [this] { log.push_back("tick"); };
    }

    static FormDesign designed() {
        FormDesign design;
        design.caption = u"Форма1";
        design.client_width = 4500;
        design.client_height = 3000;
        return design;
    }

    std::vector<std::string> log;
    std::function<void()> on_resize;
    std::function<void()> on_load;

    CommandButton button;
    Image picture_box;
    Timer ticker;

  protected:
    void Form_Load() override {
        log.push_back("load");
        if (on_load) on_load();
    }
    void Form_Resize() override {
        log.push_back("resize " + std::to_string(int(width())) + "x" +
                      std::to_string(int(height())));
        if (on_resize) on_resize();
    }
    void Form_MouseDown(int button_number) override {
        log.push_back("mousedown " + std::to_string(button_number));
    }
};

struct Runtime {
    explicit Runtime(Settings settings = with_frame())
        : backend(settings), toolkit(backend, "test", u"") {}
    static Settings with_frame() {
        Settings settings;
        settings.frame = {1, 1, 20, 1};
        return settings;
    }
    HeadlessBackend backend;
    Toolkit toolkit;
};

TEST(FormRuntime, FirstUseCreatesTheWindowAndRunsLoadToItsEnd) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    EXPECT_TRUE(form.log.empty());

    bool controls_ready_in_load = false;
    form.on_load = [&] { controls_ready_in_load = form.button.caption() == u"OK"; };
    Single height = form.height();  // the first use
    EXPECT_EQ(form.log, std::vector<std::string>{"load"});
    EXPECT_TRUE(controls_ready_in_load);
    // Outer height: client 3000 twips (200 px) plus the 21 px frame.
    EXPECT_EQ(height, (200 + 21) * 15);

    form.width();
    EXPECT_EQ(form.log.size(), 1u) << "Form_Load runs once";
}

TEST(FormRuntime, UsingAControlFirstAlsoLoadsTheForm) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.button.set_caption(u"Да");
    EXPECT_EQ(form.log, std::vector<std::string>{"load"});
    EXPECT_EQ(rt.backend.buttons().at(0)->caption(), "Да");
}

TEST(FormRuntime, ResizeRunsInsideTheAssignmentAndNestsInOrder) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.height();
    form.log.clear();

    // A resize handler that itself changes the height once: the inner
    // resize completes before the outer one goes on.
    bool nested = false;
    form.on_resize = [&] {
        if (nested) return;
        nested = true;
        form.set_height(6000);
        form.log.push_back("after inner");
    };
    form.set_width(3000);
    form.log.push_back("after outer");
    EXPECT_EQ(form.log, (std::vector<std::string>{"resize 3000x3315", "resize 3000x6000",
                                                  "after inner", "after outer"}));
}

TEST(FormRuntime, ResizeOnlyWhenTheSizeChangesAndOnFirstShowing) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.set_width(form.width());  // same size
    form.set_left(300);            // a move is no resize
    EXPECT_EQ(form.log, std::vector<std::string>{"load"});
    form.show();
    form.show();
    form.set_visible(false);
    form.show();
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "resize 4530x3315"}));
}

TEST(FormRuntime, HeightOfOneTwipGivesTheFrameHeight) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    Single before = form.height();
    form.set_height(1);
    EXPECT_EQ(form.height(), 21 * 15);
    form.set_height(before);
    EXPECT_EQ(measure_frame_height(form), 21 * 15);
    EXPECT_EQ(form.height(), before) << "the measurement puts the height back";

    // Without a window manager the window itself is what is left: one pixel.
    Settings bare;
    bare.min_client_height = 1;
    Runtime bare_rt(bare);
    LoggingForm bare_form(bare_rt.toolkit);
    EXPECT_EQ(measure_frame_height(bare_form), 15);
}

// A window with a title bar is never narrower than 112 px, frame included:
// room for the bar's buttons. A window without a frame goes down to a pixel.
TEST(FormRuntime, ATitledWindowKeepsRoomForItsTitleBarsButtons) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.set_width(1);
    EXPECT_EQ(form.width(), 112 * 15) << "the width read back is the window's";
    EXPECT_EQ(rt.backend.window().outer().width, 112);
    form.set_width(113 * 15);
    EXPECT_EQ(rt.backend.window().outer().width, 113);

    Settings bare;
    bare.frame = {};
    bare.min_client_height = 1;
    Runtime bare_rt(bare);
    LoggingForm bare_form(bare_rt.toolkit);
    bare_form.set_width(1);
    EXPECT_EQ(bare_form.width(), 15);
}

TEST(FormRuntime, ValuesReadBackAreFittedToWholePixels) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.set_width(2000);  // 133.3 px
    EXPECT_EQ(form.width(), 1995);
    form.set_left(7);  // 0.47 px
    EXPECT_EQ(form.left(), 0);
    form.button.set_width(1492);  // 99.47 px
    EXPECT_EQ(form.button.width(), 1485);
    form.button.set_top(-22.5);  // -1.5 px: half to even
    EXPECT_EQ(form.button.top(), -30);
    EXPECT_EQ(rt.backend.buttons().at(0)->rect().y, -2);
}

TEST(FormRuntime, SizesTheDisplayCannotTakeAreRefused) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    // The analyzer does not follow the throw into the catch below, where width is read.
    Single width = form.width();  // NOLINT(clang-analyzer-deadcode.DeadStores)
    try {
        form.set_width(40000 * 15.0f);
        FAIL() << "a window wider than the display takes was accepted";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.code(), ErrorCode::InvalidPropertyValue);
    }
    EXPECT_EQ(form.width(), width) << "a refused size changes nothing";
    EXPECT_THROW(form.button.set_height(-15), RuntimeError);
}

TEST(FormRuntime, WindowStateMaximisesToTheWorkAreaAndBack) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.set_left(150);
    form.set_top(300);
    Single width = form.width(), height = form.height();
    form.log.clear();

    form.set_window_state(kWindowMaximised);
    EXPECT_EQ(form.window_state(), kWindowMaximised);
    EXPECT_EQ(form.width(), 1280 * 15);
    EXPECT_EQ(form.height(), 1024 * 15);
    EXPECT_TRUE(rt.backend.window().maximised());

    form.set_window_state(kWindowNormal);
    EXPECT_EQ(form.width(), width);
    EXPECT_EQ(form.height(), height);
    EXPECT_EQ(form.left(), 150);
    EXPECT_EQ(form.top(), 300);
    EXPECT_EQ(form.log, (std::vector<std::string>{"resize 19200x15360", "resize 4530x3315"}));
    EXPECT_THROW(form.set_window_state(1), RuntimeError);
}

TEST(FormRuntime, TheUserMaximisingOrResizingRaisesResize) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.show();
    form.log.clear();
    rt.backend.window().user_maximise();
    EXPECT_EQ(form.window_state(), kWindowMaximised);
    rt.backend.window().user_restore({10, 10, 500, 400});
    EXPECT_EQ(form.window_state(), kWindowNormal);
    rt.backend.window().user_resize(500, 400);  // unchanged: nothing to lay out
    EXPECT_EQ(form.log, (std::vector<std::string>{"resize 19200x15360", "resize 7500x6000"}));
}

TEST(FormRuntime, SizingAMaximisedWindowMakesItANormalWindowOfThatSize) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    Single normal_width = form.width();
    form.set_window_state(kWindowMaximised);
    form.log.clear();
    form.set_width(normal_width);  // the normal width, but not the maximised one
    EXPECT_EQ(form.window_state(), kWindowNormal);
    EXPECT_FALSE(rt.backend.window().maximised());
    EXPECT_EQ(form.log, std::vector<std::string>{"resize 4530x3315"});
}

TEST(FormRuntime, TimersTickAtTheirIntervalAndReEnablingKeepsTheRate) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.ticker.set_interval(200);
    rt.backend.advance(150);
    form.ticker.set_enabled(true);  // already enabled: keeps running
    rt.backend.advance(50);
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "tick"}));
    form.ticker.set_enabled(false);
    rt.backend.advance(1000);
    form.ticker.set_enabled(true);
    rt.backend.advance(199);
    EXPECT_EQ(form.log.size(), 2u);
    rt.backend.advance(1);
    EXPECT_EQ(form.log.size(), 3u);
    form.ticker.set_interval(0);  // an interval of 0 stops it
    rt.backend.advance(1000);
    EXPECT_EQ(form.log.size(), 3u);
    EXPECT_THROW(form.ticker.set_interval(-1), RuntimeError);
    EXPECT_THROW(form.ticker.set_interval(65536), RuntimeError);
}

TEST(FormRuntime, DisabledButtonsTakeNoClick) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.button.set_enabled(false);
    rt.backend.buttons().at(0)->click();
    form.button.set_enabled(true);
    rt.backend.buttons().at(0)->click();
    EXPECT_EQ(form.log, (std::vector<std::string>{"load", "click"}));
}

TEST(FormRuntime, PressesOnTheBareFormReachMouseDown) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.show();
    rt.backend.window().press(3);
    EXPECT_EQ(form.log.back(), "mousedown 3");
}

TEST(FormRuntime, AnUntrappedErrorEndsTheProgramAndNothingRunsAfter) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.button.on_click = [] { raise_error(ErrorCode::FileNotFound, "C:\\x.htm"); };
    form.show();
    form.log.clear();
    rt.backend.buttons().at(0)->click();
    EXPECT_TRUE(rt.toolkit.ended());
    EXPECT_EQ(rt.toolkit.exit_status(), 1);
    EXPECT_EQ(rt.toolkit.fatal_message(), "File not found: C:\\x.htm");
    ASSERT_EQ(rt.backend.errors_shown().size(), 1u);
    EXPECT_EQ(rt.backend.errors_shown()[0], "Run-time error '53':\n\nFile not found: C:\\x.htm");
    rt.backend.advance(1000);
    EXPECT_TRUE(form.log.empty()) << "no tick after the end";
}

// A name typed with line ends and terminal escapes: standard error gets one
// line with them escaped, the dialog shows them as visible symbols.
TEST(FormRuntime, AnErrorIsOneEscapedLineOnStandardErrorAndReadableInTheDialog) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.button.on_click = [] {
        raise_error(ErrorCode::FileNotFound, "C:\\a\nb\r\t\x1b[31mred\x7f\xc2\x9b.htm");
    };
    form.show();
    ::testing::internal::CaptureStderr();
    rt.backend.buttons().at(0)->click();
    std::string line = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(line, "test: File not found: C:\\a\\nb\\r\\t\\x1B[31mred\\x7F\\u009B.htm\n");
    ASSERT_EQ(rt.backend.errors_shown().size(), 1u);
    EXPECT_EQ(rt.backend.errors_shown()[0],
              "Run-time error '53':\n\nFile not found: C:\\a␊b␍␉␛[31mred␡\xEF\xBF\xBD.htm");
}

TEST(MessageText, OnlyControlCharactersChange) {
    std::string plain = "File not found: C:\\Кир\\рис 2.jpg (looked for at /x/y) «ё» 😀";
    EXPECT_EQ(escaped_for_terminal(plain), plain);
    EXPECT_EQ(readable_for_dialog(plain), plain);
    EXPECT_EQ(escaped_for_terminal(std::string("a\0b", 3)), "a\\x00b");
    EXPECT_EQ(escaped_for_terminal("\xc2"), "\xc2") << "a cut sequence is left alone";
    EXPECT_EQ(escaped_for_terminal("\xc2\xa0"), "\xc2\xa0") << "no-break space is no control";
}

TEST(MessageText, ALongMessageIsShortenedInTheMiddleForTheDialog) {
    EXPECT_EQ(shortened_in_the_middle("abcdefgh", 8), "abcdefgh");
    EXPECT_EQ(shortened_in_the_middle("abcdefghi", 8), "abc…fghi");
    // Counted in characters, never cut inside one.
    EXPECT_EQ(shortened_in_the_middle("яяяяяюююююю", 5), "яя…юю");
}

// A name of thousands of characters: the dialog gets the error's name and
// both ends of the message, within its bound; standard error gets it all.
TEST(FormRuntime, TheDialogShowsAVeryLongMessageShortened) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    std::string name = "C:\\Book\\jpg\\" + std::string(3000, 'x') + ".jpg";
    form.button.on_click = [&] { raise_error(ErrorCode::FileNotFound, name); };
    form.show();
    ::testing::internal::CaptureStderr();
    rt.backend.buttons().at(0)->click();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(name), std::string::npos);
    ASSERT_EQ(rt.backend.errors_shown().size(), 1u);
    const std::string& shown = rt.backend.errors_shown()[0];
    EXPECT_EQ(shown.rfind("Run-time error '53':\n\nFile not found: C:\\Book\\jpg\\xxx", 0), 0u);
    EXPECT_EQ(shown.substr(shown.size() - 8), "xxxx.jpg");
    EXPECT_NE(shown.find("…"), std::string::npos);
    EXPECT_LE(shown.size(), kMaxDialogMessageChars + 40);
}

// The title bar gets a bounded beginning of a long caption; the caption
// itself, which the ticker rotates, stays whole.
TEST(FormRuntime, ALongCaptionIsShownByItsBeginning) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    Text caption(1 << 20, u'я');
    form.set_caption(caption);
    EXPECT_EQ(form.caption(), caption);
    EXPECT_EQ(from_utf8(rt.backend.window().title()), Text(kMaxTitleUnits, u'я'));
    Text pair_at_the_cut = Text(kMaxTitleUnits - 1, u'a') + u"\U0001F600";
    EXPECT_EQ(title_shown_for(pair_at_the_cut), Text(kMaxTitleUnits - 1, u'a'));
    EXPECT_EQ(title_shown_for(u"short"), u"short");
}

TEST(FormRuntime, TheCloseBoxEndsTheProgramNormally) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.show();
    rt.backend.window().user_close();
    EXPECT_TRUE(rt.backend.ended());
    EXPECT_EQ(rt.backend.exit_status(), 0);
}

TEST(FormRuntime, TitlesAreShownAsUtf8EvenWhenTheTextIsNot) {
    Runtime rt;
    LoggingForm form(rt.toolkit);
    form.set_caption(std::u16string(u"a\0b", 3) + u'\xD800');
    EXPECT_EQ(rt.backend.window().title(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(form.caption().size(), 4u) << "the form keeps the text as set";
}

}  // namespace
}  // namespace orn
