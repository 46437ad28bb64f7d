// The pictures on the page window's buttons: a dark grey bevelled bar with
// one word in white bold italic letters, 133 x 26 pixels.
#pragma once

#include <memory>

#include "runtime/text.h"

namespace orn {
class Picture;
}

namespace orn::page {

inline constexpr int kButtonPictureWidth = 133;
inline constexpr int kButtonPictureHeight = 26;

std::shared_ptr<const Picture> button_picture(const Text& word);

}  // namespace orn::page
