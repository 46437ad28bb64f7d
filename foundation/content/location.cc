#include "content/location.h"

#include "runtime/errors.h"
#include "runtime/textfile.h"
#include "runtime/translation.h"

namespace orn {

Text item_name_from_argument(const Text& argument) {
    std::size_t separator = argument.find_last_of(u"\\/");
    if (separator == Text::npos) return argument;
    return argument.substr(separator + 1);
}

namespace {

// Characters 2 to 4 of a key line: "[f12]" -> "f12".
Text key_prefix(const Text& key) {
    return key.size() < 2 ? Text{} : mid(key, 2, 3);
}

}  // namespace

ContentRoots content_roots(const Text& item_name, TextInput& configuration) {
    ContentRoots roots;
    Text item_prefix = left(item_name, 3);
    while (!configuration.eof()) {
        Text key = configuration.read_line();
        Text value = configuration.read_line();
        if (key == kDefaultKey) roots.default_root = value;
        if (key_prefix(key) == item_prefix) roots.content_root = value;
    }
    if (roots.content_root.empty()) roots.content_root = roots.default_root;
    return roots;
}

ContentRoots read_content_roots(const Text& item_name) {
    TextInput configuration;
    configuration.open(kConfigurationFile);
    ContentRoots roots = content_roots(item_name, configuration);
    configuration.close();
    return roots;
}

std::vector<Text> all_content_roots(TextInput& configuration) {
    std::vector<Text> roots;
    while (!configuration.eof()) {
        configuration.read_line();  // the key
        roots.push_back(configuration.read_line());
    }
    return roots;
}

std::vector<Text> read_all_content_roots() {
    TextInput configuration;
    configuration.open(kConfigurationFile);
    std::vector<Text> roots = all_content_roots(configuration);
    configuration.close();
    return roots;
}

ItemStem item_stem(const Text& item_name) {
    Text trimmed = trim_spaces(item_name);
    if (trimmed.size() < 4)
        raise_error(ErrorCode::InvalidArgument,
                    format_text(_("item name \"%s\" is shorter than four characters"),
                                to_display_utf8(item_name).c_str()));
    ItemStem result{trimmed.substr(0, trimmed.size() - 4), false};
    if (!result.stem.empty() && result.stem.back() == u'!') {
        result.stem.pop_back();
        result.self_answer = true;
    }
    return result;
}

Text page_name(const Text& item_name) {
    return trim_spaces(left(item_name, static_cast<long>(item_name.size()) - 4));
}

Text figure_directory(const Text& content_root) {
    return content_root + u"\\jpg\\";
}
Text figure_caption_directory(const Text& content_root) {
    return content_root + u"\\htm\\orn\\";
}
Text page_directory(const Text& content_root) {
    return content_root + u"\\htm\\dop_htm\\";
}
Text page_caption_directory(const Text& content_root) {
    return content_root + u"\\htm\\or3\\";
}
Text click_sound_path(const Text& content_root) {
    return content_root + u"\\wav\\pick.wav";
}

}  // namespace orn
