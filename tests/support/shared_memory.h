// How many mappings a process has of a file, named by its inode: whether
// the display server, or this process, still maps a picture's pixels.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include <sys/types.h>

namespace orn::test {

inline int mappings_of_file(pid_t process, ino_t inode) {
    std::ifstream maps("/proc/" + std::to_string(process) + "/maps");
    int count = 0;
    for (std::string line; std::getline(maps, line);) {
        std::string address, permissions, offset, device;
        unsigned long long found = 0;
        std::istringstream fields(line);
        if (fields >> address >> permissions >> offset >> device >> found && found == inode)
            ++count;
    }
    return count;
}

}  // namespace orn::test
