// Fuzz target: a caption file's bytes as the caption ticker takes them: its
// first line decoded from the Windows code page (or UTF-8), the caption
// text, a few ticks of rotation and the title a window is given.
#include <cstddef>
#include <cstdint>
#include <string>

#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/textfile.h"
#include "window/caption_ticker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    (void)orn::decode_cp1251(bytes);
    try {
        orn::TextInput file;
        file.open_bytes(bytes);
        orn::Text caption_text = orn::caption_text_from_line(file.read_line());
        for (int tick = 0; tick < 3; ++tick) {
            caption_text = orn::rotate_caption(caption_text);
            (void)orn::to_display_utf8(orn::title_shown_for(caption_text));
        }
        while (!file.eof()) (void)file.read_line();
    } catch (const orn::RuntimeError&) {
        // Read past end of file, a line over the limit: the program's messages.
    }
    return 0;
}
