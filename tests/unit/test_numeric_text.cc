#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "error_of.h"
#include "runtime/errors.h"
#include "runtime/numeric.h"
#include "runtime/text.h"

namespace orn {
namespace {

using test::error_of;

TEST(Errors, MessageStartsWithTheNameAndAddsTheDetail) {
    const std::pair<ErrorCode, const char*> names[] = {
        {ErrorCode::InvalidArgument, "Invalid argument"},
        {ErrorCode::Overflow, "Overflow"},
        {ErrorCode::OutOfMemory, "Out of memory"},
        {ErrorCode::FloatingPointFault, "Floating-point fault"},
        {ErrorCode::FileNotFound, "File not found"},
        {ErrorCode::ReadPastEnd, "Read past end of file"},
        {ErrorCode::PathNotFound, "Path not found"},
        {ErrorCode::InvalidPropertyValue, "Invalid property value"},
        {ErrorCode::InvalidPicture, "Invalid picture"},
    };
    for (auto [code, name] : names) {
        EXPECT_STREQ(RuntimeError(code).what(), name);
        RuntimeError with_detail(code, "C:\\x");
        EXPECT_EQ(std::string(with_detail.what()), std::string(name) + ": C:\\x");
        EXPECT_EQ(with_detail.detail(), "C:\\x");
        EXPECT_EQ(with_detail.code(), code);
    }
    EXPECT_EQ(static_cast<int>(ErrorCode::FileNotFound), 53);
    EXPECT_EQ(static_cast<int>(ErrorCode::PathNotFound), 76);
    EXPECT_THROW(raise_error(ErrorCode::Overflow), RuntimeError);
}

TEST(Numeric, RoundsToNearestWithTiesToEven) {
    EXPECT_EQ(to_int16(2.5), 2);
    EXPECT_EQ(to_int16(3.5), 4);
    EXPECT_EQ(to_int16(-2.5), -2);
    EXPECT_EQ(to_int16(-3.5), -4);
    EXPECT_EQ(to_int16(0.5), 0);
    EXPECT_EQ(to_int16(-0.5), 0);
    EXPECT_EQ(to_int16(2.4999), 2);
    EXPECT_EQ(to_int16(2.5001), 3);
    EXPECT_EQ(to_int16(-7.6), -8);
    EXPECT_EQ(to_int32(1e9 + 0.5), 1000000000);
    EXPECT_EQ(to_int32(1e9 + 1.5), 1000000002);
}

TEST(Numeric, OverflowIsJudgedAfterRounding) {
    EXPECT_EQ(to_int16(32767.4), 32767);
    EXPECT_EQ(error_of([] { to_int16(32767.5); }), ErrorCode::Overflow);
    EXPECT_EQ(to_int16(-32768.5), -32768);
    EXPECT_EQ(error_of([] { to_int16(-32768.51); }), ErrorCode::Overflow);
    EXPECT_EQ(error_of([] { to_int16(-32769.5); }), ErrorCode::Overflow);
    EXPECT_EQ(to_int32(2147483647.4), 2147483647);
    EXPECT_EQ(error_of([] { to_int32(2147483647.5); }), ErrorCode::Overflow);
    EXPECT_EQ(to_int32(-2147483648.5), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(error_of([] { to_int32(-2147483649.0); }), ErrorCode::Overflow);
}

TEST(Numeric, NonFiniteValuesOverflowIntegers) {
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, 1e300}) {
        EXPECT_EQ(error_of([v] { to_int16(v); }), ErrorCode::Overflow) << v;
        EXPECT_EQ(error_of([v] { to_int32(v); }), ErrorCode::Overflow) << v;
    }
}

TEST(Numeric, Int16ArithmeticMustFit) {
    EXPECT_EQ(add_int16(32000, 767), 32767);
    EXPECT_EQ(error_of([] { add_int16(32000, 768); }), ErrorCode::Overflow);
    EXPECT_EQ(sub_int16(-32000, 768), -32768);
    EXPECT_EQ(error_of([] { sub_int16(-32000, 769); }), ErrorCode::Overflow);
    EXPECT_EQ(error_of([] { sub_int16(0, -32768); }), ErrorCode::Overflow);
}

TEST(Numeric, SingleRejectsNonFiniteAndOutOfRange) {
    EXPECT_FLOAT_EQ(to_single(1.5), 1.5f);
    EXPECT_FLOAT_EQ(to_single(-1e38), -1e38f);
    EXPECT_EQ(to_single(1e-300), 0.0f);  // underflow is a plain zero
    double max = std::numeric_limits<float>::max();
    EXPECT_EQ(to_single(max), std::numeric_limits<float>::max());
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    for (double v : {nan, inf, -inf, 1e39, -1e39, max * 1.0001})
        EXPECT_EQ(error_of([v] { to_single(v); }), ErrorCode::FloatingPointFault) << v;
}

TEST(Text, MidLeftRightCountFromOneAndStopAtTheEnd) {
    Text s = u"Рисунок";
    EXPECT_EQ(mid(s, 1, 3), u"Рис");
    EXPECT_EQ(mid(s, 5, 100), u"нок");
    EXPECT_EQ(mid(s, 7, 1), u"к");
    EXPECT_EQ(mid(s, 8, 1), u"");
    EXPECT_EQ(mid(s, 1000, 5), u"");
    EXPECT_EQ(mid(s, 2, 0), u"");
    EXPECT_EQ(left(s, 3), u"Рис");
    EXPECT_EQ(left(s, 99), s);
    EXPECT_EQ(right(s, 3), u"нок");
    EXPECT_EQ(right(s, 99), s);
    EXPECT_EQ(right(u"", 0), u"");
    EXPECT_EQ(error_of([&] { mid(s, 0, 1); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(error_of([&] { mid(s, 1, -1); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(error_of([&] { left(s, -1); }), ErrorCode::InvalidArgument);
    EXPECT_EQ(error_of([&] { right(s, -1); }), ErrorCode::InvalidArgument);
}

TEST(Text, TrimRemovesOnlySpaces) {
    EXPECT_EQ(trim_spaces(u"  a b  "), u"a b");
    EXPECT_EQ(trim_spaces(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(trim_spaces(u"\u00A0a "), u"\u00A0a");
    EXPECT_EQ(trim_spaces(u"    "), u"");
    EXPECT_EQ(trim_spaces(u""), u"");
}

TEST(Text, Utf8RoundTripIncludingSupplementaryPlanes) {
    Text s = u"Ё a\u20AC\U0001F600z";
    s.push_back(u'\0');
    EXPECT_EQ(from_utf8(to_utf8(s)), s);
    EXPECT_EQ(to_utf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(to_utf8(u"ё"), "\xD1\x91");
}

TEST(Text, ToUtf8ReplacesLoneSurrogates) {
    Text lone_high = u"a";
    lone_high.push_back(0xD800);
    EXPECT_EQ(to_utf8(lone_high), "a\xEF\xBF\xBD");
    Text lone_low{char16_t(0xDC00), u'b'};
    EXPECT_EQ(to_utf8(lone_low),
              "\xEF\xBF\xBD"
              "b");
    Text reversed{char16_t(0xDC00), char16_t(0xD800)};
    EXPECT_EQ(to_utf8(reversed), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_TRUE(is_valid_utf8(to_utf8(reversed)));
}

TEST(Text, DisplayTextHidesNul) {
    Text s{u'a', u'\0', u'b'};
    EXPECT_EQ(to_utf8(s), std::string("a\0b", 3));
    EXPECT_EQ(to_display_utf8(s),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Text, FromUtf8ReplacesMalformedBytes) {
    EXPECT_EQ(from_utf8("a\xFF"
                        "b"),
              u"a\uFFFDb");
    EXPECT_EQ(from_utf8("\xC3"), u"\uFFFD");                      // truncated
    EXPECT_EQ(from_utf8("\xC0\x80"), u"\uFFFD\uFFFD");            // overlong NUL
    EXPECT_EQ(from_utf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(from_utf8("\xF4\x90\x80\x80").size(), 4u);          // beyond U+10FFFF
    EXPECT_EQ(from_utf8("\xE2\x82"), u"\uFFFD\uFFFD");
}

TEST(Text, ValidUtf8IsStrict) {
    EXPECT_TRUE(is_valid_utf8(""));
    EXPECT_TRUE(is_valid_utf8(std::string("a\0b", 3)));
    EXPECT_TRUE(is_valid_utf8("\xD0\xA0\xD0\xB8\xD1\x81"));  // "Рис"
    EXPECT_TRUE(is_valid_utf8("\xF4\x8F\xBF\xBF"));          // U+10FFFF
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));
    EXPECT_FALSE(is_valid_utf8("\xE0\x80\xAF"));
    EXPECT_FALSE(is_valid_utf8("\xED\xBF\xBF"));
    EXPECT_FALSE(is_valid_utf8("\xF4\x90\x80\x80"));
    EXPECT_FALSE(is_valid_utf8("\x80"));
    EXPECT_FALSE(is_valid_utf8("\xF8\x88\x80\x80\x80"));
    EXPECT_FALSE(is_valid_utf8("\xD0"));
}

}  // namespace
}  // namespace orn
