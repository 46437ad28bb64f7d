// The textbook as the HTML view sees it: the scheme's addresses and the
// Windows paths they stand for, the charset chosen for a file that declares
// none, and which files may be served or opened.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "page/book_address.h"
#include "page/book_files.h"
#include "temp_tree.h"

namespace orn::page {
namespace {

namespace fs = std::filesystem;

TEST(BookAddress, AWindowsPathMakesAUrlThatGivesItBack) {
    const Text paths[] = {u"C:\\Book\\htm\\dop_htm\\p07_2.htm", u"D:\\Учебник\\рис 1#2?.jpg",
                          u"/srv/book/htm/p 1%.htm"};
    for (const Text& path : paths) {
        std::string url = book_url(path);
        SCOPED_TRACE(url);
        EXPECT_EQ(url.find_first_of(" #?"), std::string::npos) << "not escaped";
        auto back = windows_path_of_url(url);
        ASSERT_TRUE(back);
        Text expected = path;
        if (path[0] == u'/') expected = path;
        EXPECT_EQ(to_utf8(*back), to_utf8(expected));
    }
    EXPECT_EQ(book_url(u"C:\\Book\\p.htm"), "ornbook:///C:/Book/p.htm");
}

// How links of old pages arrive, once the engine has resolved them.
TEST(BookAddress, UrlPathsBecomeWindowsPaths) {
    struct Case {
        const char* url;
        const char16_t* path;
    };
    const Case cases[] = {
        {"ornbook:///C:/Book/htm/Images%5CPic1.JPG", u"C:\\Book\\htm\\Images\\Pic1.JPG"},
        {"ornbook:///C:/Book/htm/Images\\Pic1.JPG?x=1#top", u"C:\\Book\\htm\\Images\\Pic1.JPG"},
        // Windows-1251 escapes (рисунок), UTF-8 escapes, and raw 1251 bytes.
        {"ornbook:///C:/%F0%E8%F1%F3%ED%EE%EA.jpg", u"C:\\рисунок.jpg"},
        {"ornbook:///C:/%D1%80%D0%B8%D1%81.jpg", u"C:\\рис.jpg"},
        {"ornbook:///C:/\xF0\xE8\xF1.jpg", u"C:\\рис.jpg"},
        // Each component decoded on its own.
        {"ornbook:///C:/%D1%80%D0%B8%D1%81/%F0%E8%F1.jpg", u"C:\\рис\\рис.jpg"},
        // ".." and "." folded; never above the drive.
        {"ornbook:///C:/Book/htm/../jpg/./f.jpg", u"C:\\Book\\jpg\\f.jpg"},
        {"ornbook:///C:/Book/..\\..\\..\\..\\etc\\passwd", u"C:\\etc\\passwd"},
        {"ornbook:///C:/Book/%2e%2e/%2E%2E/x", u"C:\\x"},
        {"ornbook:///C:", u"C:\\"},
        {"ornbook:///etc/passwd", u"/etc/passwd"},
        {"ornbook:///../../etc/passwd", u"/etc/passwd"},
        {"ornbook://host/C:/a", u"C:\\a"},
        {"ORNBOOK:///C:/a", u"C:\\a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        auto path = windows_path_of_url(c.url);
        ASSERT_TRUE(path);
        EXPECT_EQ(to_utf8(*path), to_utf8(c.path));
    }
    EXPECT_FALSE(windows_path_of_url("file:///etc/passwd"));
    EXPECT_FALSE(windows_path_of_url("ornbooks:///C:/a"));
}

TEST(BookAddress, Schemes) {
    EXPECT_EQ(url_scheme("HTTP://example.invalid/"), "http");
    EXPECT_EQ(url_scheme("mailto:a@b"), "mailto");
    EXPECT_EQ(url_scheme("C:\\Book"), "c");  // a drive reads as a one-letter scheme
    EXPECT_EQ(url_scheme("Images\\Pic1.JPG"), "");
    EXPECT_EQ(url_scheme(":x"), "");
    EXPECT_EQ(url_scheme("a b:c"), "");
}

TEST(BookAddress, ACharsetIsChosenOnlyForFilesThatDeclareNone) {
    const std::string cp1251 = "<p>\xCF\xF0\xE8\xE2\xE5\xF2</p>";  // "Привет"
    const std::string utf8 = "<p>\xD0\x9F\xD1\x80\xD0\xB8</p>";    // "При"
    EXPECT_EQ(undeclared_charset(cp1251, true), "windows-1251");
    EXPECT_EQ(undeclared_charset(utf8, true), "utf-8");
    EXPECT_EQ(undeclared_charset("plain ascii", false), "utf-8");
    // Declared by a byte order mark or a <meta>: the file's own word wins.
    EXPECT_EQ(undeclared_charset("\xEF\xBB\xBF" + cp1251, false), "");
    EXPECT_EQ(undeclared_charset("\xFF\xFE<\0p\0", true), "");
    EXPECT_EQ(undeclared_charset("<HEAD><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                 "CHARSET=koi8-r\">" +
                                     cp1251,
                                 true),
              "");
    EXPECT_EQ(undeclared_charset("<meta charset=utf-8>" + cp1251, true), "");
    // A text file has no <meta>; another tag naming a charset is no declaration.
    EXPECT_EQ(undeclared_charset("<meta charset=utf-8>" + cp1251, false), "windows-1251");
    EXPECT_EQ(undeclared_charset("<script charset=utf-8></script>" + cp1251, true), "windows-1251");
    // A UTF-8 character cut short is not UTF-8.
    EXPECT_EQ(undeclared_charset(utf8 + "\xD0", true), "windows-1251");
}

class BookFilesTest : public ::testing::Test {
  protected:
    BookFilesTest() : prefix_(tree_) {
        tree_.write("drive_c/Book/htm/dop_htm/p07_2.htm", "page");
        tree_.write("drive_c/Book/htm/dop_htm/Рисунки/Схема.JPG", "picture");
        tree_.write("drive_c/Other/secret.txt", "secret");
        tree_.write("home/secret.txt", "secret");
        fs::create_symlink(tree_.root() + "/home/secret.txt",
                           prefix_.drive_c() + "/Book/htm/dop_htm/out.txt");
        fs::create_symlink(prefix_.drive_c() + "/Book/htm/dop_htm/p07_2.htm",
                           prefix_.drive_c() + "/Book/inside.htm");
        prefix_.add_drive('z', "/");
    }

    Served status_of(const BookFiles& files, const Text& path) { return files.find(path).status; }

    test::TempTree tree_;
    test::ScopedWinePrefix prefix_;
};

TEST_F(BookFilesTest, OnlyRegularFilesUnderTheRootsAreServed) {
    BookFiles files({u"C:\\Book", u"C:\\Missing"});
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm\\dop_htm\\p07_2.htm"), Served::File);
    EXPECT_EQ(status_of(files, u"c:\\BOOK\\HTM\\DOP_HTM\\P07_2.HTM"), Served::File);
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm\\dop_htm\\рисунки\\схема.jpg"), Served::File);
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm\\dop_htm\\p07_2.htm. "), Served::File);
    EXPECT_EQ(status_of(files, u"C:\\Book\\inside.htm"), Served::File);  // a link within
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm\\dop_htm\\p99.htm"), Served::Missing);
    // Elsewhere on the drive, out through a link, the host, a folder.
    EXPECT_EQ(status_of(files, u"C:\\Other\\secret.txt"), Served::Refused);
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm\\dop_htm\\out.txt"), Served::Refused);
    EXPECT_EQ(status_of(files, u"Z:\\etc\\passwd"), Served::Refused);
    EXPECT_EQ(status_of(files, u"/etc/passwd"), Served::Refused);
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm"), Served::Refused);
    // A root that is a prefix of another folder's name does not cover it.
    tree_.write("drive_c/Book2/x.htm", "x");
    EXPECT_EQ(status_of(files, u"C:\\Book2\\x.htm"), Served::Refused);
}

TEST_F(BookFilesTest, NoRootsServeNothing) {
    BookFiles files({});
    EXPECT_EQ(status_of(files, u"C:\\Book\\htm\\dop_htm\\p07_2.htm"), Served::Refused);
}

TEST_F(BookFilesTest, ProgramsAreKnownByExtensionOrByContent) {
    std::string dir = tree_.mkdir("files");
    auto file = [&](const std::string& name, const std::string& bytes, bool executable) {
        std::string path = tree_.write("files/" + name, bytes);
        ::chmod(path.c_str(), executable ? 0755 : 0644);
        return path;
    };
    EXPECT_TRUE(is_program(file("SETUP.EXE", "MZ", false)));
    EXPECT_TRUE(is_program(file("run.bat", "@echo off", false)));
    EXPECT_TRUE(is_program(file("a.Js", "x", false)));
    EXPECT_TRUE(is_program(file("install.sh", "#!/bin/sh", false)));
    std::string elf = std::string(
                          "\x7f"
                          "ELF\x02\x01\x01",
                          7) +
                      std::string(57, '\0');
    EXPECT_TRUE(is_program(file("tool", elf, true)));
    EXPECT_TRUE(is_program(file("start", "#!/bin/sh\necho\n", true)));
    EXPECT_FALSE(is_program(file("tool-copy", elf, false))) << "not executable here";
    // Documents stay documents, with the executable bit of a CD copy too.
    EXPECT_FALSE(is_program(file("zadanie.doc", "doc", true)));
    EXPECT_FALSE(is_program(file("archive.zip", "PK", false)));
    EXPECT_FALSE(is_program(file("table.xls", "xls", false)));
}

}  // namespace
}  // namespace orn::page
