// The caption ticker: the item's caption line scrolls through the window's
// title, one character to the left at every tick.
#pragma once

#include "runtime/text.h"

namespace orn {

class Form;
class Timer;

// Follows the caption line and separates its end from its beginning as it
// scrolls by: a full stop and seven spaces.
inline const Text kCaptionGap = u".       ";

// Shown instead of the caption of a figure that the pupil answers on their own.
inline const Text kSelfAnswerCaption = u"Рисунок для самостоятельного ответа.    ";

inline constexpr int kTickerIntervalMs = 200;

// The first line of the caption file (opened, read and closed). Missing
// file: File not found / Path not found; empty file: Read past end of file.
Text read_caption_line(const Text& caption_file);

// The caption text the ticker starts from: the line followed by the gap.
Text caption_text_from_line(const Text& caption_line);

// One step: the first character moves to the end. An empty text is an
// Invalid argument error (start-up never leaves it empty).
Text rotate_caption(const Text& caption_text);

// Starts the ticker's timer: enabled, then the 200 ms interval.
void start_ticker(Timer& timer);

// One tick: rotates the caption text, shows it as the window's title and
// keeps the timer enabled.
void ticker_step(Form& form, Timer& timer, Text& caption_text);

}  // namespace orn
