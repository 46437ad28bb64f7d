// Window behaviour both viewers share: measuring the frame, staying on top,
// moving the window by its client area, and the click sound.
#pragma once

#include <cstdint>

#include "runtime/text.h"

namespace orn {

class Form;
class Toolkit;

// The height the window frame takes, in twips: the window is asked to be
// 1 twip high, and no window is lower than its frame. The height is put back.
std::int16_t measure_frame_height(Form& form);

// Keeps the window above all windows that are not themselves kept above.
void make_topmost(Form& form);

// Moves the window with the mouse, from the press being handled, as a press
// on its title bar would. Called from a mouse-down handler.
void drag_window(Form& form);

// Plays a sound file at a Windows path without waiting for it; a file that
// is missing or does not play rings the bell instead. Never an error.
void play_sound_async(Toolkit& toolkit, const Text& windows_path);

}  // namespace orn
