#include "runtime/numeric.h"

#include <cmath>
#include <limits>

#include "runtime/errors.h"

namespace orn {

namespace {

// Nearest whole number, ties to the even neighbour, independent of the
// floating-point environment's rounding mode.
double round_half_even(double value) {
    double lower = std::floor(value);
    double fraction = value - lower;
    if (fraction > 0.5) return lower + 1;
    if (fraction < 0.5) return lower;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

template <typename Int>
Int to_integer(double value) {
    if (std::isnan(value)) raise_error(ErrorCode::Overflow);
    double rounded = round_half_even(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        raise_error(ErrorCode::Overflow);
    return static_cast<Int>(rounded);
}

}  // namespace

std::int16_t to_int16(double value) {
    return to_integer<std::int16_t>(value);
}
std::int32_t to_int32(double value) {
    return to_integer<std::int32_t>(value);
}

std::int16_t add_int16(std::int16_t a, std::int16_t b) {
    return to_int16(double(a) + double(b));
}
std::int16_t sub_int16(std::int16_t a, std::int16_t b) {
    return to_int16(double(a) - double(b));
}

Single to_single(double value) {
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<Single>::max())
        raise_error(ErrorCode::FloatingPointFault);
    return static_cast<Single>(value);
}

}  // namespace orn
