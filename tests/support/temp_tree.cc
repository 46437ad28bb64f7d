#include "temp_tree.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace orn::test {

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "orn-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
}

TempTree::~TempTree() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string TempTree::write(const std::string& relative_path, const std::string& bytes) {
    fs::path path = fs::path(root_) / relative_path;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string TempTree::mkdir(const std::string& relative_path) {
    fs::path path = fs::path(root_) / relative_path;
    fs::create_directories(path);
    return path.string();
}

ScopedWinePrefix::ScopedWinePrefix(TempTree& tree) {
    if (const char* old = std::getenv("WINEPREFIX")) {
        had_old_ = true;
        old_value_ = old;
    }
    prefix_ = tree.mkdir("wineprefix");
    drive_c_ = tree.mkdir("drive_c");
    fs::create_directories(fs::path(prefix_) / "dosdevices");
    fs::create_directory_symlink(drive_c_, fs::path(prefix_) / "dosdevices" / "c:");
    setenv("WINEPREFIX", prefix_.c_str(), 1);
}

ScopedWinePrefix::~ScopedWinePrefix() {
    if (had_old_)
        setenv("WINEPREFIX", old_value_.c_str(), 1);
    else
        unsetenv("WINEPREFIX");
}

void ScopedWinePrefix::add_drive(char letter, const std::string& target) {
    std::string name(1, static_cast<char>(std::tolower(static_cast<unsigned char>(letter))));
    fs::create_directory_symlink(target, fs::path(prefix_) / "dosdevices" / (name + ":"));
}

}  // namespace orn::test
