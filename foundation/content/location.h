// Where an item's content lies: the item name from the command line, the
// content root from the configuration file, and the names of the item's
// directories and files, all built by plain concatenation of Windows paths.
#pragma once

#include <vector>

#include "runtime/text.h"

namespace orn {

class TextInput;

// The configuration file shared by both viewers.
inline const Text kConfigurationFile = u"c:\\Program Files\\Ornlux\\orn.ini";

// Key line of the default pair.
inline const Text kDefaultKey = u"[default]";

// Everything after the last separator of the argument string: a backslash,
// or a slash (which no Windows file name holds). Quotes and spaces are kept.
Text item_name_from_argument(const Text& argument);

struct ContentRoots {
    Text default_root;  // value of the last "[default]" pair; empty if none
    Text content_root;  // value of the last matching root pair, else default_root
};

// Reads the configuration file to its end in key/value line pairs. A key
// matches when its characters 2 to 4 equal the first three of the item
// name. An odd number of lines is a Read past end of file error.
ContentRoots content_roots(const Text& item_name, TextInput& configuration);

// Opens kConfigurationFile, reads it with content_roots() and closes it.
ContentRoots read_content_roots(const Text& item_name);

// Every value line of the configuration file: all the content roots it
// names, for whatever item. Read as content_roots() reads it.
std::vector<Text> all_content_roots(TextInput& configuration);
std::vector<Text> read_all_content_roots();

struct ItemStem {
    Text stem;         // trimmed item name less its last four characters, less one "!"
    bool self_answer;  // the "!" was there
};

// Invalid argument when the trimmed item name is shorter than four characters.
ItemStem item_stem(const Text& item_name);

// The item name less its last four characters, then trimmed; a "!" stays.
// Call item_stem() first: it performs the length check.
Text page_name(const Text& item_name);

// The content tree under a content root.
Text figure_directory(const Text& content_root);          // root\jpg\ .
Text figure_caption_directory(const Text& content_root);  // root\htm\orn\ .
Text page_directory(const Text& content_root);            // root\htm\dop_htm\ .
Text page_caption_directory(const Text& content_root);    // root\htm\or3\ .
Text click_sound_path(const Text& content_root);          // root\wav\pick.wav

}  // namespace orn
