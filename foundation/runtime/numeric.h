// Conversions between the toolkit's number types.
//
// Positions and sizes are single-precision twips; integers kept between
// events are 16-bit, intermediate ones 32-bit. A float stored in an integer
// takes the nearest whole number with ties to the even neighbour, and a
// value outside the integer's range is an Overflow error.
#pragma once

#include <cstdint>

namespace orn {

using Single = float;

std::int16_t to_int16(double value);  // Overflow outside -32768..32767
std::int32_t to_int32(double value);  // Overflow outside the 32-bit range

// 16-bit arithmetic: the result must fit again.
std::int16_t add_int16(std::int16_t a, std::int16_t b);
std::int16_t sub_int16(std::int16_t a, std::int16_t b);

// A single-precision result of a formula; infinity or NaN is a
// Floating-point fault.
Single to_single(double value);

}  // namespace orn
