// Where a Wine prefix's drive C: holds the textbook's viewer programs, and
// what each of them is now: the Windows program, a stub of ours, or neither.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "wine-setup/config.h"

namespace orn::wine_setup {

enum class FileKind {
    missing,          // no such file
    windows_program,  // a regular file that starts with "MZ"
    stub,             // a stub this program wrote
    other,            // anything else: a folder, a link, a native program, a foreign script
};

// One viewer program in one folder of the drive.
struct ViewerPlace {
    const ViewerProgram* viewer = nullptr;
    std::string folder;           // host path of the folder
    std::string relative_folder;  // the folder below the drive's root, "" for the root
    std::string program_name;     // the file's name as it is on disk ("ORNFIG.EXE")
    FileKind program = FileKind::missing;
    mode_t program_mode = 0;  // when program is a windows_program or a stub
    std::string stub_text;    // when program is a stub
    bool kept = false;        // program_name + kKeptSuffix is a regular file
    mode_t kept_mode = 0;

    std::string program_path() const { return folder + "/" + program_name; }
    std::string kept_name() const { return program_name + std::string(kKeptSuffix); }
    std::string kept_path() const { return folder + "/" + kept_name(); }
    // A place of the textbook: its Windows program, kept or not, or our stub.
    bool belongs_to_textbook() const;
};

// What the file at path is (never following a link).
FileKind classify(const std::string& path, mode_t* mode, std::string* stub_text);

// Every place of a viewer program below drive_c (the drive's host folder),
// sorted by folder and name. Folders reached through links and the drive's
// own "windows" folder are not looked into.
std::vector<ViewerPlace> find_viewer_places(const std::string& drive_c);

}  // namespace orn::wine_setup
