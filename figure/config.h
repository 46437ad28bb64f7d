// The figure viewer's constants: designed texts, font, zoom steps, layout.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/backend.h"
#include "runtime/text.h"

namespace orn::figure {

inline const Text kFormCaption = u"Форма1";
inline const Text kZoomOutCaption = u"уменьшить";
inline const Text kZoomInCaption = u"увеличить";
inline const Text kZoomOutShortCaption = u"-";
inline const Text kZoomInShortCaption = u"+";

inline const FontSpec kButtonFont{"Times New Roman", 12, 700, false};

inline constexpr std::int16_t kStartZoomPercent = 50;
inline constexpr std::int16_t kMinZoomPercent = 30;
inline constexpr std::int16_t kFullZoomPercent = 100;
inline constexpr std::int16_t kZoomStep = 10;

// The window keeps the frame height less this much, in twips, as its frame allowance.
inline constexpr std::int16_t kFrameAllowanceReduction = 50;
// Windows wider than this (twips) have room for the long button captions.
inline constexpr float kLongCaptionMinWidth = 2890;

// The window's icon, its pixels compiled into the program.
extern const IconImage kIcon;

}  // namespace orn::figure
