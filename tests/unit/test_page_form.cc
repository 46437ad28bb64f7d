// The page window on the headless backend, with one twip per pixel so that
// the toolkit keeps sizes exactly as set.
#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "headless/headless_backend.h"
#include "page/frm_ornpage.h"
#include "runtime/picture.h"
#include "runtime/toolkit.h"
#include "temp_tree.h"

namespace orn::page {
namespace {

namespace fs = std::filesystem;

const Text kCollapse = u"Свернуть";
const Text kExpand = u"Развернуть";
// "§ 7.2. Деление" in Windows-1251, and the caption text made of it.
const std::string kCaptionLine = "\xA7 7.2. \xC4\xE5\xEB\xE5\xED\xE8\xE5";
const Text kCaptionText = u"§ 7.2. Деление.       ";

// The host file a file: URL names, with symbolic links resolved.
std::string file_of_uri(const std::string& uri) {
    gchar* name = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    std::string path = name ? name : "";
    g_free(name);
    return path.empty() ? path : fs::weakly_canonical(path).string();
}

// A textbook with the page p07_2.htm and its caption.
class PageTest : public ::testing::Test {
  protected:
    PageTest() : prefix_(tree_) {
        tree_.write("drive_c/Program Files/Ornlux/orn.ini", "[default]\r\nC:\\Book\r\n");
        tree_.write("drive_c/Book/htm/dop_htm/p07_2.htm", "<html><body>page</body></html>");
        tree_.write("drive_c/Book/htm/or3/p07_2.htm", kCaptionLine + "\r\n<html></html>\r\n");
        settings_.twips_per_pixel = 1;
        settings_.frame = {15, 15, 345, 105};  // frame height 450
        settings_.work_area = {0, 0, 15360, 11520};
        settings_.max_window_pixels = 200000;
    }

    frmOrnpage& start(const std::string& item = "p07_2.htm") {
        form_.reset();  // a form of an earlier start goes before its backend
        toolkit_.reset();
        backend_ = std::make_unique<headless::HeadlessBackend>(settings_);
        toolkit_ =
            std::make_unique<Toolkit>(*backend_, "ornpage", u"C:\\Book\\htm\\" + from_utf8(item));
        form_ = std::make_unique<frmOrnpage>(*toolkit_);
        toolkit_->run([&] { form_->Form_Initialize(); });
        return *form_;
    }

    // The button peers in creation order: btn_temp2, btn_temp, btnEXIT, btnPRESS.
    headless::HeadlessButton& press_button() { return *backend_->buttons().at(3); }
    headless::HeadlessButton& exit_button() { return *backend_->buttons().at(2); }
    headless::HeadlessBrowser& browser() { return *backend_->browsers().at(0); }

    void expect_expanded_look(frmOrnpage& form) {
        EXPECT_EQ(form.btnPRESS.tag(), kCollapse);
        EXPECT_EQ(form.btnPRESS.picture(), form.btn_temp.picture());
        EXPECT_EQ(press_button().picture(), form.btn_temp.picture().get());
        EXPECT_TRUE(form.WebBrowser1.visible());
        EXPECT_TRUE(browser().visible());
    }

    void expect_buttons_at(frmOrnpage& form, float press_left, float exit_left) {
        EXPECT_EQ(form.btnPRESS.left(), press_left);
        EXPECT_EQ(form.btnEXIT.left(), exit_left);
    }

    test::TempTree tree_;
    test::ScopedWinePrefix prefix_;
    headless::Settings settings_;
    std::unique_ptr<headless::HeadlessBackend> backend_;
    std::unique_ptr<Toolkit> toolkit_;
    std::unique_ptr<frmOrnpage> form_;  // declared last: destroyed first
};

TEST_F(PageTest, StartsMaximisedAboveShowingThePageUnderTheButtons) {
    frmOrnpage& form = start();
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.frame_height(), 450);
    EXPECT_EQ(form.page_directory(), u"C:\\Book\\htm\\dop_htm\\");
    EXPECT_EQ(form.page_caption_directory(), u"C:\\Book\\htm\\or3\\");
    EXPECT_EQ(form.window_state(), kWindowMaximised);
    EXPECT_TRUE(backend_->window().maximised());
    EXPECT_TRUE(backend_->window().visible());
    EXPECT_TRUE(backend_->window().keep_above());
    EXPECT_EQ(form.width(), 15360);
    EXPECT_EQ(form.height(), 11520);
    // The designed look: a collapse picture of btnPRESS's own.
    EXPECT_EQ(form.btnPRESS.tag(), kCollapse);
    ASSERT_TRUE(press_button().picture());
    EXPECT_NE(press_button().picture(), form.btn_temp2.picture().get());
    EXPECT_TRUE(browser().visible());
    EXPECT_FALSE(backend_->buttons().at(0)->visible()) << "btn_temp2 only holds a picture";
    EXPECT_FALSE(backend_->buttons().at(1)->visible()) << "btn_temp only holds a picture";
    EXPECT_EQ(form.WebBrowser1.width(), 15230);
    EXPECT_EQ(form.WebBrowser1.top(), 375);
    EXPECT_EQ(form.WebBrowser1.height(), 11520 - 345 - 450);
    expect_buttons_at(form, 5530, 7830);
    EXPECT_EQ(form.btnPRESS.top(), 0);
    EXPECT_EQ(form.btnEXIT.width(), 1970);
    EXPECT_EQ(form.btnEXIT.height(), 345);
    ASSERT_EQ(browser().navigations().size(), 1u);
    EXPECT_EQ(file_of_uri(browser().navigations()[0]),
              fs::canonical(prefix_.drive_c() + "/Book/htm/dop_htm/p07_2.htm").string());
    EXPECT_TRUE(form.TIMer.enabled());
    EXPECT_EQ(form.TIMer.interval(), 200);
}

TEST_F(PageTest, TheCaptionIsTheTitleAtOnceAndScrollsEveryTick) {
    frmOrnpage& form = start();
    EXPECT_EQ(form.caption_text(), kCaptionText);
    EXPECT_EQ(backend_->window().title(), to_utf8(kCaptionText));
    backend_->advance(199);
    EXPECT_EQ(backend_->window().title(), to_utf8(kCaptionText));
    backend_->advance(1);
    EXPECT_EQ(backend_->window().title(), " 7.2. Деление.       §");
    backend_->advance(400);
    EXPECT_EQ(backend_->window().title(), ".2. Деление.       § 7");
    EXPECT_EQ(form.caption_text(), u".2. Деление.       § 7");
}

TEST_F(PageTest, ButtonsCentreOnHalfTheWidthRoundedDown) {
    // 7672.5 and 7673.5: neither rounds to the nearest or to the even number.
    for (int width : {15345, 15347}) {
        SCOPED_TRACE(width);
        settings_.work_area = {0, 0, width, 11520};
        frmOrnpage& form = start();
        ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
        int centre = width == 15345 ? 7672 : 7673;
        expect_buttons_at(form, centre - 2150, centre + 150);
    }
}

TEST_F(PageTest, CollapseMakesABarAndExpandRestoresTheSameView) {
    frmOrnpage& form = start();
    press_button().click();
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.btnPRESS.tag(), kExpand);
    EXPECT_EQ(form.btnPRESS.picture(), form.btn_temp2.picture());
    EXPECT_EQ(press_button().picture(), form.btn_temp2.picture().get());
    EXPECT_NE(form.btn_temp2.picture(), form.btn_temp.picture());
    EXPECT_EQ(form.saved_width(), 15360);
    EXPECT_EQ(form.saved_height(), 11520);
    EXPECT_EQ(form.window_state(), kWindowNormal);
    EXPECT_FALSE(backend_->window().maximised());
    EXPECT_EQ(form.width(), 4300);
    EXPECT_EQ(form.height(), 345 + 450);
    EXPECT_EQ(backend_->window().outer().width, 4300);
    EXPECT_FALSE(form.WebBrowser1.visible());
    EXPECT_FALSE(browser().visible());
    expect_buttons_at(form, 0, 2190);

    press_button().click();
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    expect_expanded_look(form);
    EXPECT_EQ(form.window_state(), kWindowNormal) << "the saved size comes back as a normal window";
    EXPECT_FALSE(backend_->window().maximised());
    EXPECT_EQ(form.width(), 15360);
    EXPECT_EQ(form.height(), 11520);
    expect_buttons_at(form, 5530, 7830);
    EXPECT_EQ(browser().navigations().size(), 1u) << "the page is shown again, not reloaded";

    // The next tick leaves a normal window as it is.
    backend_->advance(200);
    EXPECT_EQ(form.window_state(), kWindowNormal);
    EXPECT_EQ(form.width(), 15360);
}

TEST_F(PageTest, TheTickerRedrawsNoButtonWhileThePageIsShown) {
    start();
    backend_->advance(200);  // the first tick puts btn_temp's picture on the button
    int drawn = press_button().pictures_set();
    backend_->advance(1000);
    EXPECT_EQ(press_button().pictures_set(), drawn) << "five ticks, the same picture";
    press_button().click();
    EXPECT_EQ(press_button().pictures_set(), drawn + 1) << "collapsed: the expand picture";
}

TEST_F(PageTest, ResizingLaysTheBrowserOutUnderTheButtons) {
    frmOrnpage& form = start();
    press_button().click();
    press_button().click();
    backend_->window().user_resize(15480, 11160);
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.WebBrowser1.width(), 15350);
    EXPECT_EQ(form.WebBrowser1.top(), 375);
    EXPECT_EQ(form.WebBrowser1.height(), 10365);
    expect_buttons_at(form, 5590, 7890);

    // No room under the buttons: only the browser's width follows.
    backend_->window().user_resize(9000, 795);
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.WebBrowser1.width(), 8870);
    EXPECT_EQ(form.WebBrowser1.top(), 375);
    EXPECT_EQ(form.WebBrowser1.height(), 10365);
    expect_buttons_at(form, 5590, 7890);
}

TEST_F(PageTest, ACollapsedWindowMaximisedByTheUserIsExpandedAtTheNextTick) {
    frmOrnpage& form = start();
    press_button().click();
    backend_->window().user_maximise();
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.window_state(), kWindowMaximised);
    expect_buttons_at(form, 5530, 7830);
    EXPECT_EQ(form.WebBrowser1.height(), 11520 - 345 - 450);
    EXPECT_EQ(form.btnPRESS.tag(), kExpand) << "not before the tick";
    EXPECT_FALSE(browser().visible()) << "not before the tick";

    backend_->advance(200);
    expect_expanded_look(form);
    EXPECT_EQ(browser().navigations().size(), 1u);

    // Collapsing again saves the maximised size once more.
    press_button().click();
    EXPECT_EQ(form.btnPRESS.tag(), kExpand);
    EXPECT_EQ(form.width(), 4300);
    EXPECT_EQ(form.saved_width(), 15360);
}

// A maximised window on a wide screen (2560 pixels: 38400 twips) is wider
// than 16 bits hold; its size is saved and restored all the same.
TEST_F(PageTest, WindowsWiderThan32767TwipsCollapseAndExpand) {
    settings_.work_area = {0, 0, 38400, 21600};
    frmOrnpage& form = start();
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    press_button().click();
    ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.btnPRESS.tag(), kExpand);
    EXPECT_EQ(form.saved_width(), 38400);
    EXPECT_EQ(form.saved_height(), 21600);
    EXPECT_EQ(form.width(), 4300);
    press_button().click();
    EXPECT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
    EXPECT_EQ(form.width(), 38400);
    EXPECT_EQ(form.height(), 21600);
}

TEST_F(PageTest, AButtonTagOfAnotherTextDoesNothing) {
    frmOrnpage& form = start();
    form.btnPRESS.set_tag(u"Свернуть ");
    press_button().click();
    EXPECT_FALSE(toolkit_->ended());
    EXPECT_EQ(form.btnPRESS.tag(), u"Свернуть ");
    EXPECT_EQ(form.window_state(), kWindowMaximised);
    EXPECT_TRUE(form.WebBrowser1.visible());
    EXPECT_EQ(form.saved_width(), 0);
}

TEST_F(PageTest, TheCloseButtonEndsTheProgramWithStatus0) {
    start();
    exit_button().click();
    EXPECT_TRUE(toolkit_->ended());
    EXPECT_EQ(toolkit_->exit_status(), 0);
    EXPECT_TRUE(backend_->errors_shown().empty());
}

TEST_F(PageTest, AMissingCaptionEndsTheProgramAfterNavigatingBeforeMaximising) {
    fs::remove(prefix_.drive_c() + "/Book/htm/or3/p07_2.htm");
    frmOrnpage& form = start();
    EXPECT_TRUE(toolkit_->ended());
    EXPECT_EQ(toolkit_->exit_status(), 1);
    EXPECT_EQ(toolkit_->fatal_message().rfind("File not found: C:\\Book\\htm\\or3\\p07_2.htm", 0),
              0u)
        << toolkit_->fatal_message();
    EXPECT_EQ(browser().navigations().size(), 1u);
    EXPECT_EQ(form.window_state(), kWindowNormal);
    EXPECT_FALSE(backend_->window().maximised());
    EXPECT_TRUE(backend_->window().keep_above());
    EXPECT_EQ(backend_->window().title(), "Форма1");
    EXPECT_FALSE(backend_->timers().at(0)->running()) << "the ticker was not started";
}

TEST_F(PageTest, AnItemNameShorterThanFourCharactersIsRefusedBeforeNavigating) {
    start("p07   ");
    EXPECT_TRUE(toolkit_->ended());
    EXPECT_EQ(toolkit_->fatal_message().rfind("Invalid argument", 0), 0u)
        << toolkit_->fatal_message();
    EXPECT_TRUE(browser().navigations().empty());
    EXPECT_TRUE(backend_->window().keep_above()) << "made top-most before the check";
}

// Which page an item name opens: its last four characters go, spaces around
// what is left go, and the rest is the page's name as it is.
TEST_F(PageTest, ThePageFileIsTheItemNameLessItsLastFourCharacters) {
    struct Case {
        const char* item;
        const char* page;  // under Book/htm/dop_htm
    };
    const Case cases[] = {
        {"p07_2.htm", "p07_2.htm"},   {"p07!.htm", "p07!.htm"},  // the "!" stays
        {"p07.htm  ", "p07.h.htm"},    // trailing spaces count as characters
        {"  p07_2.htm", "p07_2.htm"},  // leading spaces go
        {"p99.htm", "p99.htm"},        // no such page: the view's own matter
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        tree_.write("drive_c/Book/htm/or3/" + std::string(c.item), kCaptionLine + "\r\n");
        start(c.item);
        ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
        ASSERT_EQ(browser().navigations().size(), 1u);
        const std::string& uri = browser().navigations()[0];
        EXPECT_EQ(uri.rfind("file:///", 0), 0u) << uri;
        std::string page = prefix_.drive_c() + "/Book/htm/dop_htm/" + c.page;
        EXPECT_EQ(file_of_uri(uri), fs::weakly_canonical(page).string()) << uri;
        EXPECT_EQ(form_->window_state(), kWindowMaximised);
    }
}

// While the window is made and its frame measured, Form_Resize runs before
// the frame height is known; whatever the frame, start-up gets through.
TEST_F(PageTest, StartUpGetsThroughResizesBeforeTheFrameIsMeasured) {
    const FrameExtents frames[] = {{0, 0, 0, 0}, {15, 15, 345, 105}, {60, 60, 900, 600}};
    for (const FrameExtents& frame : frames) {
        SCOPED_TRACE(frame.top + frame.bottom);
        settings_.frame = frame;
        frmOrnpage& form = start();
        ASSERT_FALSE(toolkit_->ended()) << toolkit_->fatal_message();
        int frame_height = frame.top + frame.bottom;
        EXPECT_EQ(form.frame_height(), frame_height == 0 ? 1 : frame_height);
        EXPECT_EQ(form.WebBrowser1.height(), 11520 - 345 - form.frame_height());
        EXPECT_EQ(form.window_state(), kWindowMaximised);
    }
}

}  // namespace
}  // namespace orn::page
