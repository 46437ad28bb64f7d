// ornlux-wine-setup's constants: the textbook's viewer programs it replaces,
// the name it keeps them under and the mark its stubs carry.
#pragma once

#include <string_view>

namespace orn::wine_setup {

// A Windows viewer of the textbook and the native program that stands in for it.
struct ViewerProgram {
    std::string_view windows_name;  // as the textbook names it, matched without regard to case
    std::string_view native_name;   // installed beside ornlux-wine-setup
};

inline constexpr ViewerProgram kViewerPrograms[] = {
    {"ornfig.exe", "ornfig"},
    {"ornpage.exe", "ornpage"},
};

// A Windows program is kept aside under its own name with this added.
inline constexpr std::string_view kKeptSuffix = ".windows";

// The first bytes of every Windows executable.
inline constexpr std::string_view kWindowsExecutableMagic = "MZ";

// The first two lines of every stub; the second tells it from any other script.
inline constexpr std::string_view kStubStart = "#!/bin/sh\n# Made by ornlux-wine-setup.";

// Folders of drive C: never looked into (Wine's own system files).
inline constexpr std::string_view kSystemFolder = "windows";

// A stub is a few hundred bytes; a longer file is never one.
inline constexpr std::size_t kMaxStubSize = 4096;

}  // namespace orn::wine_setup
