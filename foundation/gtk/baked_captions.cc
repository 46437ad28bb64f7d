#include "gtk/baked_captions.h"

namespace orn::gtk {

namespace {
std::span<const BakedCaption> program_captions;
}

void use_baked_captions(std::span<const BakedCaption> captions) {
    program_captions = captions;
}

std::span<const BakedCaption> baked_captions() {
    return program_captions;
}

}  // namespace orn::gtk
