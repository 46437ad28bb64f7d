// The caption ticker: reading the caption, starting the timer, one step.
#include <gtest/gtest.h>

#include "error_of.h"
#include "headless/headless_backend.h"
#include "runtime/controls.h"
#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/toolkit.h"
#include "temp_tree.h"
#include "window/caption_ticker.h"

namespace orn {
namespace {

class TickerForm : public Form {
  public:
    explicit TickerForm(Toolkit& toolkit) : Form(toolkit, design()), timer(*this, 50, true) {
        timer.on_timer = [this] { ticker_step(*this, timer, caption_text); };
    }
    static FormDesign design() {
        FormDesign design;
        design.caption = u"Форма1";
        return design;
    }
    Timer timer;
    Text caption_text;
};

using test::error_of;

TEST(CaptionTicker, EachStepMovesTheFirstCharacterToTheEnd) {
    Text text = caption_text_from_line(u"Ab");
    EXPECT_EQ(text, u"Ab.       ");
    const Text after[] = {u"b.       A", u".       Ab", u"       Ab."};
    for (const Text& expected : after) {
        text = rotate_caption(text);
        EXPECT_EQ(text, expected);
    }
    for (int tick = 4; tick <= 10; ++tick) text = rotate_caption(text);
    EXPECT_EQ(text, u"Ab.       ") << "back after as many ticks as characters";

    EXPECT_EQ(caption_text_from_line(u""), u".       ");
    EXPECT_EQ(caption_text_from_line(u"Рис  "), u"Рис  .       ") << "trailing spaces stay";
    EXPECT_EQ(kSelfAnswerCaption.size(), 40u);
    EXPECT_EQ(error_of([] { rotate_caption(u""); }), ErrorCode::InvalidArgument);
}

TEST(CaptionTicker, ReadsOnlyTheFirstLineOfTheCaptionFile) {
    test::TempTree tree;
    test::ScopedWinePrefix prefix(tree);
    // "Рис. 1" in Windows-1251, then a second line that is never read.
    tree.write("drive_c/Book/htm/orn/f1.htm", "\xD0\xE8\xF1. 1\r\n<html>\r\n");
    tree.write("drive_c/Book/htm/orn/empty.htm", "");
    tree.write("drive_c/Book/htm/orn/blank.htm", "\r\nsecond");
    EXPECT_EQ(read_caption_line(u"C:\\Book\\htm\\orn\\f1.htm"), u"Рис. 1");
    EXPECT_EQ(read_caption_line(u"C:\\Book\\htm\\orn\\blank.htm"), u"");
    EXPECT_EQ(error_of([] { read_caption_line(u"C:\\Book\\htm\\orn\\empty.htm"); }),
              ErrorCode::ReadPastEnd);
    EXPECT_EQ(error_of([] { read_caption_line(u"C:\\Book\\htm\\orn\\none.htm"); }),
              ErrorCode::FileNotFound);
    EXPECT_EQ(error_of([] { read_caption_line(u"C:\\Book\\htm\\or3\\none.htm"); }),
              ErrorCode::PathNotFound);
}

TEST(CaptionTicker, TicksEvery200MillisecondsAndShowsTheRotatedText) {
    headless::HeadlessBackend backend;
    Toolkit toolkit(backend, "test", u"");
    TickerForm form(toolkit);
    form.caption_text = caption_text_from_line(u"Ab");
    start_ticker(form.timer);
    EXPECT_TRUE(form.timer.enabled());
    EXPECT_EQ(form.timer.interval(), 200);

    backend.advance(199);
    EXPECT_EQ(backend.window().title(), "Форма1") << "the designed caption until the first tick";
    backend.advance(1);
    EXPECT_EQ(backend.window().title(), "b.       A");
    backend.advance(200);
    EXPECT_EQ(backend.window().title(), ".       Ab");
    backend.advance(8 * 200);
    EXPECT_EQ(backend.window().title(), "Ab.       ");
    EXPECT_EQ(backend.window().titles().size(), 11u) << "one title per tick";
}

}  // namespace
}  // namespace orn
