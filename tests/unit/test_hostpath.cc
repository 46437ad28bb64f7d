#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "runtime/hostpath.h"
#include "temp_tree.h"

namespace orn {
namespace {

TEST(MapWindowsPath, DrivesRootsAndRelativePaths) {
    HostEnvironment env{"/pfx"};
    EXPECT_EQ(map_windows_path(u"C:\\a\\b", env), "/pfx/dosdevices/c:/a/b");
    EXPECT_EQ(map_windows_path(u"x:\\A\\B.TXT", env), "/pfx/dosdevices/x:/A/B.TXT");
    EXPECT_EQ(map_windows_path(u"C:\\", env), "/pfx/dosdevices/c:");
    EXPECT_EQ(map_windows_path(u"C:a", env), "/pfx/dosdevices/c:/a");
    EXPECT_EQ(map_windows_path(u"\\a\\b", env), "/pfx/dosdevices/c:/a/b");
    EXPECT_EQ(map_windows_path(u"a\\b", env), "a/b");
    EXPECT_EQ(map_windows_path(u"/srv/book\\jpg\\f1.jpg", env), "/srv/book/jpg/f1.jpg");
    EXPECT_EQ(map_windows_path(u"C:\\\\a\\\\\\b\\", env), "/pfx/dosdevices/c:/a/b");
    EXPECT_EQ(map_windows_path(u"C:\\Книга\\рис 1.jpg", env),
              "/pfx/dosdevices/c:/\xD0\x9A\xD0\xBD\xD0\xB8\xD0\xB3\xD0\xB0/"
              "\xD1\x80\xD0\xB8\xD1\x81 1.jpg");
    EXPECT_EQ(map_windows_path(u"C:\\a", HostEnvironment{"/pfx//"}), "/pfx/dosdevices/c:/a");
}

// Sets or removes an environment variable for the lifetime of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(HostEnvironment, WinePrefixElseHomeWine) {
    ScopedEnv home("HOME", "/home/reader");
    {
        ScopedEnv prefix("WINEPREFIX", "/opt/prefix");
        EXPECT_EQ(HostEnvironment::from_process().wine_prefix, "/opt/prefix");
    }
    ScopedEnv prefix("WINEPREFIX", nullptr);
    EXPECT_EQ(HostEnvironment::from_process().wine_prefix, "/home/reader/.wine");
}

TEST(WindowsPathOnDrive, FromTheHostSpellingBelowTheDrive) {
    EXPECT_EQ(windows_path_on_drive('c', "Book/ornfig.exe"), Text(u"C:\\Book\\ornfig.exe"));
    EXPECT_EQ(windows_path_on_drive('d', "Program Files//Книга/"),
              Text(u"D:\\Program Files\\Книга"));
    EXPECT_EQ(windows_path_on_drive('c', ""), Text(u"C:\\"));
}

TEST(DriveFolder, TheDrivesEntryWhenThePrefixHasIt) {
    test::TempTree tree;
    std::string drive = tree.mkdir("drive_c");
    tree.mkdir("prefix/dosdevices");
    std::filesystem::create_directory_symlink(drive, tree.root() + "/prefix/dosdevices/c:");
    HostEnvironment env{tree.root() + "/prefix"};
    EXPECT_EQ(drive_folder('c', env), tree.root() + "/prefix/dosdevices/c:");
    EXPECT_EQ(drive_folder('C', env), tree.root() + "/prefix/dosdevices/c:");
    EXPECT_EQ(drive_folder('d', env), "");
    EXPECT_EQ(drive_folder('c', HostEnvironment{tree.root() + "/none"}), "");
}

TEST(DescribePath, NamesTheHostPathWhenItDiffers) {
    EXPECT_EQ(describe_path(u"C:\\a\\b", "/root/.wine/dosdevices/c:/a/b"),
              "C:\\a\\b (looked for at /root/.wine/dosdevices/c:/a/b)");
    EXPECT_EQ(describe_path(u"/srv/f.txt", "/srv/f.txt"), "/srv/f.txt");
    Text with_nul{u'a', u'\0'};
    EXPECT_EQ(describe_path(with_nul, std::string("a\0", 2)), "a\xEF\xBF\xBD");
}

std::string wine_prefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix ? prefix : "";
}

class ResolveHostPath : public ::testing::Test {
  protected:
    ResolveHostPath() : prefix(tree) {
        tree.write("drive_c/Book/jpg/f1.jpg", "jpg");
        tree.write("drive_c/книга/РИС.jpg", "рис");
    }
    ResolvedPath resolve(const Text& path) {
        return resolve_host_path(path, HostEnvironment::from_process());
    }
    // The host path under the C: drive as the prefix names it.
    std::string on_c(const std::string& rest) { return wine_prefix() + "/dosdevices/c:/" + rest; }
    void expect_found(const Text& path, const std::string& host_path) {
        ResolvedPath r = resolve(path);
        EXPECT_EQ(r.lookup, HostLookup::Found) << to_utf8(path);
        EXPECT_EQ(r.host_path, host_path) << to_utf8(path);
    }
    void expect_missing(const Text& path, HostLookup lookup, const std::string& host_path) {
        ResolvedPath r = resolve(path);
        EXPECT_EQ(r.lookup, lookup) << to_utf8(path);
        EXPECT_EQ(r.host_path, host_path) << to_utf8(path);
    }
    test::TempTree tree;
    test::ScopedWinePrefix prefix;
};

TEST_F(ResolveHostPath, ExactAndCaseInsensitiveComponents) {
    expect_found(u"C:\\Book\\jpg\\f1.jpg", on_c("Book/jpg/f1.jpg"));
    expect_found(u"c:\\BOOK\\JPG\\F1.JPG", on_c("Book/jpg/f1.jpg"));
    expect_found(u"\\book\\Jpg\\f1.Jpg", on_c("Book/jpg/f1.jpg"));
    expect_found(u"C:\\КНИГА\\рис.jpg", on_c("книга/РИС.jpg"));
    expect_found(u"C:\\Книга\\Рис.JPG", on_c("книга/РИС.jpg"));
    expect_found(u"C:\\Book\\jpg", on_c("Book/jpg"));
}

TEST_F(ResolveHostPath, TrailingDotsAndSpacesAreIgnoredWhenNeeded) {
    expect_found(u"C:\\Book.\\jpg \\f1.jpg. .", on_c("Book/jpg/f1.jpg"));
    tree.write("drive_c/Book/dot.", "");
    expect_found(u"C:\\Book\\dot.", on_c("Book/dot."));  // as written when it exists
    expect_missing(u"C:\\Book\\...", HostLookup::FileMissing, on_c("Book/..."));
}

TEST_F(ResolveHostPath, MissingFileOrPath) {
    expect_missing(u"C:\\Book\\jpg\\f2.jpg", HostLookup::FileMissing, on_c("Book/jpg/f2.jpg"));
    expect_missing(u"C:\\BOOK\\nodir\\F1.jpg", HostLookup::PathMissing, on_c("Book/nodir/F1.jpg"));
    expect_missing(u"C:\\Book\\jpg\\f1.jpg\\x", HostLookup::PathMissing, on_c("Book/jpg/f1.jpg/x"));
    expect_missing(Text{u'C', u':', u'\\', u'B', u'\0'}, HostLookup::FileMissing,
                   on_c(std::string("B\0", 2)));
    EXPECT_EQ(resolve(u"").lookup, HostLookup::FileMissing);
}

TEST_F(ResolveHostPath, DriveLetters) {
    std::string extra = tree.mkdir("extra");
    tree.write("extra/Wav/pick.wav", "");
    prefix.add_drive('d', extra);
    std::string prefix_path = wine_prefix();
    expect_found(u"D:\\wav\\PICK.WAV", prefix_path + "/dosdevices/d:/Wav/pick.wav");
    expect_missing(u"Q:\\wav", HostLookup::PathMissing, prefix_path + "/dosdevices/q:/wav");
    expect_missing(u"Q:", HostLookup::PathMissing, prefix_path + "/dosdevices/q:");
    ScopedEnv no_drives("WINEPREFIX", tree.mkdir("empty").c_str());
    EXPECT_EQ(resolve(u"C:\\Book").lookup, HostLookup::PathMissing);
}

TEST_F(ResolveHostPath, SeveralMatchesAndDirectoriesOnTheWay) {
    for (const char* name : {"ab.txt", "Ab.txt", "AB.txt"})
        tree.write("drive_c/m/" + std::string(name), "");
    expect_found(u"C:\\m\\aB.TXT", on_c("m/AB.txt"));  // the first in sorted order
    tree.write("drive_c/m/x", "a file, not a folder");
    tree.write("drive_c/m/X/inner.txt", "");
    expect_found(u"C:\\m\\x\\inner.txt", on_c("m/X/inner.txt"));
}

TEST_F(ResolveHostPath, PosixAndRelativePaths) {
    Text root = from_utf8(tree.root());
    ResolvedPath r = resolve(root + u"\\DRIVE_C\\book/jpg\\F1.jpg");
    EXPECT_EQ(r.lookup, HostLookup::Found);
    EXPECT_EQ(r.host_path, tree.root() + "/drive_c/Book/jpg/f1.jpg");

    std::filesystem::path old_cwd = std::filesystem::current_path();
    std::filesystem::current_path(prefix.drive_c());
    ResolvedPath relative = resolve(u"BOOK\\jpg\\f1.jpg");
    ResolvedPath missing = resolve(u"book\\png\\f1.jpg");
    std::filesystem::current_path(old_cwd);
    EXPECT_EQ(relative.lookup, HostLookup::Found);
    EXPECT_EQ(relative.host_path, "Book/jpg/f1.jpg");
    EXPECT_EQ(missing.lookup, HostLookup::PathMissing);
    EXPECT_EQ(missing.host_path, "Book/png/f1.jpg");
}

}  // namespace
}  // namespace orn
