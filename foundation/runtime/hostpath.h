// Windows paths of the content on the Linux host.
//
//   X:\a\b           -> $WINEPREFIX/dosdevices/x:/a/b   (WINEPREFIX defaults to ~/.wine)
//   \a\b             -> drive C:
//   a\b              -> relative to the working directory
//   /srv/book\jpg\f  -> a POSIX path is used as it is (backslashes become /)
//
// A component that does not exist as written is matched without regard to
// case, since Windows file systems ignore case.
#pragma once

#include <string>

#include "runtime/text.h"

namespace orn {

struct HostEnvironment {
    std::string wine_prefix;                // the drives are in wine_prefix + "/dosdevices"
    static HostEnvironment from_process();  // $WINEPREFIX, else $HOME/.wine
};

// The host path as written, without looking at the disk.
std::string map_windows_path(const Text& windows_path, const HostEnvironment& env);

enum class HostLookup { Found, FileMissing, PathMissing };

struct ResolvedPath {
    std::string host_path;  // the existing path, or the best guess when missing
    HostLookup lookup;
};

// Maps and looks the path up on disk, component by component, falling back
// to a case-insensitive match (Cyrillic included) where the exact name is
// not there. PathMissing when a directory on the way is missing.
ResolvedPath resolve_host_path(const Text& windows_path, const HostEnvironment& env);

// The host folder of a drive of the prefix ("C:" -> $WINEPREFIX/dosdevices/c:),
// looked up on disk; empty when the prefix has no such drive.
std::string drive_folder(char drive_letter, const HostEnvironment& env);

// The Windows path of a file below a drive's folder, from its path relative
// to that folder as the host spells it: ('c', "Book/ornfig.exe") gives
// "C:\Book\ornfig.exe".
Text windows_path_on_drive(char drive_letter, std::string_view relative_host_path);

// A location for the HTML view: a URL (with a scheme such as "file:" or
// "https:") as it is, anything else a Windows path of a local file, mapped
// to the host and made a file: URL (whether or not the file exists).
std::string location_uri(const Text& location);

// Message detail naming a Windows path and, when it differs, where it was
// looked for: "C:\a\b (looked for at /root/.wine/dosdevices/c:/a/b)".
std::string describe_path(const Text& windows_path, const std::string& host_path);

}  // namespace orn
