// Fuzz target: the item argument and the configuration file, as start-up
// takes them: the item name, its content root from the configuration
// file's lines, the stem or page name, the content tree's paths and where
// they are looked for on disk, and the message an error would give.
//
// Input: one byte n, then n bytes of argument (as the command line gives
// it, UTF-8 or not), then the configuration file's bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/location.h"
#include "runtime/errors.h"
#include "runtime/hostpath.h"
#include "runtime/message_text.h"
#include "runtime/textfile.h"

namespace {

void locate(const std::string& argument, std::string configuration_bytes) {
    orn::Text item_name = orn::item_name_from_argument(orn::from_utf8(argument));
    orn::TextInput configuration;
    configuration.open_bytes(std::move(configuration_bytes));
    orn::ContentRoots roots = orn::content_roots(item_name, configuration);
    orn::Text page = orn::page_name(item_name);
    orn::ItemStem stem = orn::item_stem(item_name);
    // Looked up under a prefix that does not exist: the walk stops at once.
    orn::HostEnvironment env{"/nonexistent-orn-fuzz"};
    for (const orn::Text& path : {orn::figure_directory(roots.content_root) + stem.stem + u".jpg",
                                  orn::figure_caption_directory(roots.content_root) + item_name,
                                  orn::page_directory(roots.content_root) + page,
                                  orn::click_sound_path(roots.content_root)}) {
        orn::ResolvedPath resolved = orn::resolve_host_path(path, env);
        (void)orn::describe_path(path, resolved.host_path);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::size_t argument_size = std::min<std::size_t>(data[0], size - 1);
    std::string argument(reinterpret_cast<const char*>(data + 1), argument_size);
    std::string configuration(reinterpret_cast<const char*>(data + 1 + argument_size),
                              size - 1 - argument_size);
    try {
        locate(argument, std::move(configuration));
    } catch (const orn::RuntimeError& error) {
        // What the program would write and show.
        (void)orn::escaped_for_terminal(error.what());
        (void)orn::shortened_in_the_middle(orn::readable_for_dialog(error.what()),
                                           orn::kMaxDialogMessageChars);
    }
    return 0;
}
