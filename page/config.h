// The page viewer's constants: designed texts, offsets, sizes.
#pragma once

#include <string_view>

#include "runtime/backend.h"
#include "runtime/text.h"

namespace orn::page {

inline const Text kFormCaption = u"Форма1";

// btnPRESS's Tag names what its next click does.
inline const Text kCollapseTag = u"Свернуть";
inline const Text kExpandTag = u"Развернуть";

// The words on the three button pictures.
inline const Text kCollapseWord = u"Свернуть";
inline const Text kExpandWord = u"Развернуть";
inline const Text kCloseWord = u"Закрыть";

inline const FontSpec kButtonFont{"MS Sans Serif", 12, 700, true};

// Layout, in twips.
inline constexpr float kCollapsedWidth = 4300;
inline constexpr float kBrowserWidthMargin = 130;
inline constexpr float kBrowserGap = 30;
inline constexpr long kPressOffset = -2150;
inline constexpr long kExitOffset = 150;
inline constexpr long kExitCollapsedOffset = 40;

// The window's icon, its pixels compiled into the program.
extern const IconImage kIcon;

}  // namespace orn::page
