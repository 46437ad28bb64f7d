// A temporary directory tree for tests, removed again at the end.
#pragma once

#include <string>

namespace orn::test {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    // Writes a file (bytes as given), creating the directories on the way.
    std::string write(const std::string& relative_path, const std::string& bytes);
    std::string mkdir(const std::string& relative_path);

  private:
    std::string root_;
};

// Points WINEPREFIX at a fresh tree whose dosdevices/c: is <tree>/drive_c,
// for the lifetime of the object (the previous value is restored).
class ScopedWinePrefix {
  public:
    explicit ScopedWinePrefix(TempTree& tree);
    ~ScopedWinePrefix();
    // Path of the C: drive's folder on the host.
    const std::string& drive_c() const { return drive_c_; }
    // Adds a drive letter leading to a folder.
    void add_drive(char letter, const std::string& target);

  private:
    std::string prefix_;
    std::string drive_c_;
    std::string old_value_;
    bool had_old_ = false;
};

}  // namespace orn::test
