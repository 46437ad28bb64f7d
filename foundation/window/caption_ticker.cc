#include "window/caption_ticker.h"

#include "runtime/controls.h"
#include "runtime/form.h"
#include "runtime/textfile.h"

namespace orn {

Text read_caption_line(const Text& caption_file) {
    TextInput file;
    file.open(caption_file);
    Text line = file.read_line();
    file.close();
    return line;
}

Text caption_text_from_line(const Text& caption_line) {
    return caption_line + kCaptionGap;
}

Text rotate_caption(const Text& caption_text) {
    long length = static_cast<long>(caption_text.size());
    return mid(caption_text, 2, length - 1) + left(caption_text, 1);
}

void start_ticker(Timer& timer) {
    timer.set_enabled(true);
    timer.set_interval(kTickerIntervalMs);
}

void ticker_step(Form& form, Timer& timer, Text& caption_text) {
    caption_text = rotate_caption(caption_text);
    form.set_caption(caption_text);
    timer.set_enabled(true);
}

}  // namespace orn
