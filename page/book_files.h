// Which files the HTML view may read: only regular files under the content
// roots that the configuration file names, found by the lookup that item
// paths use. Anything else (the user's home, /etc, ".." out of the tree, a
// symbolic link leading out of it) is refused, whoever asks: a link, a
// frame, an image or a page's script.
#pragma once

#include <string>
#include <vector>

#include "runtime/text.h"

namespace orn::page {

enum class Served { File, Missing, Refused };

struct ServedFile {
    Served status;
    std::string host_path;  // the file; for Missing, where it was looked for
};

class BookFiles {
  public:
    // roots: Windows paths of content roots; an empty root is drive C:'s
    // top, as the paths built on it say.
    explicit BookFiles(const std::vector<Text>& roots);
    // The roots of the configuration file; none when it cannot be read.
    static BookFiles from_configuration();

    ServedFile find(const Text& windows_path) const;

  private:
    std::vector<std::string> roots_;  // real host folders, each ending in "/"
};

// A program or script, which a click must never start: by its extension
// (.exe, .bat, .js, ...), or an executable file whose content is a program.
bool is_program(const std::string& host_path);

}  // namespace orn::page
