// The click sound: played through libcanberra on a thread of its own, so
// that no handler ever waits for the sound system.
#pragma once

#include <string>

namespace orn::gtk {

// Plays a sound file and returns at once. A file that cannot be played
// rings the display's bell instead (on the main loop); sounds the user has
// turned off in the desktop's settings stay off.
void play_sound_file(const std::string& host_path);

}  // namespace orn::gtk
