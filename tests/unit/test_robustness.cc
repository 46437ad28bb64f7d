// Randomized inputs for content location and caption reading: whatever the
// argument string and the bytes of the configuration or caption file, the
// result is a value or one of the errors the viewers report; never a crash,
// a hang or a sanitizer report.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <set>

#include "content/location.h"
#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/textfile.h"

namespace orn {
namespace {

class Inputs {
  public:
    explicit Inputs(std::uint32_t seed) : rng_(seed) {}

    std::size_t below(std::size_t n) { return rng_() % n; }

    // Bytes built from pieces that matter to line splitting and decoding.
    std::string bytes() {
        static const std::string pieces[] = {"\r",
                                             "\n",
                                             "\r\n",
                                             std::string(1, '\0'),
                                             "\x98",
                                             "\xD0\xE8\xF1",
                                             "\xD0\xA0",
                                             "\xC0\x80",
                                             "\xED\xA0\x80",
                                             "\xF0\x9F\x98\x80",
                                             "\xE2\x82",
                                             "\xFF",
                                             "[default]",
                                             "[f12]",
                                             "C:\\Book",
                                             " ",
                                             "!",
                                             ".htm",
                                             "\\",
                                             "/"};
        std::string out;
        std::size_t count = below(4) == 0 ? 0 : below(40);
        for (std::size_t i = 0; i < count; ++i) {
            if (below(3) == 0)
                out.push_back(static_cast<char>(below(256)));
            else
                out += pieces[below(std::size(pieces))];
        }
        if (below(1500) == 0) out.insert(below(out.size() + 1), long_run());
        return out;
    }

    // An argument string: text with separators, quotes, spaces, lone
    // surrogates and NUL.
    Text argument() {
        static const char16_t units[] = {u'\\', u'/',   u'"',   u' ', u'!', u'.',
                                         u':',  u'\0',  u'f',   u'1', u'2', u'Р',
                                         u'я',  0xD800, 0xDC00, u'h', u't', u'm'};
        Text out;
        std::size_t count = below(24);
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(below(4) == 0 ? static_cast<char16_t>(below(0x10000))
                                        : units[below(std::size(units))]);
        return out;
    }

  private:
    // A run of bytes without line ends, at times longer than a line may be.
    std::string long_run() {
        std::size_t length = TextInput::kMaxLineBytes - 2 + below(5);
        return std::string(length, below(2) ? 'a' : '\xE0');
    }

    std::mt19937 rng_;
};

bool allowed(ErrorCode code) {
    return code == ErrorCode::ReadPastEnd || code == ErrorCode::InvalidArgument ||
           code == ErrorCode::OutOfMemory;
}

// The outcomes seen, to check that the inputs reach every one of them.
std::set<ErrorCode> errors_seen;
std::size_t results_seen = 0;

// Runs step; a RuntimeError must be one the viewers expect from bad content.
void survives(const std::function<void()>& step) {
    try {
        step();
        ++results_seen;
    } catch (const RuntimeError& e) {
        EXPECT_TRUE(allowed(e.code())) << e.what();
        errors_seen.insert(e.code());
    }
}

void check_location(const Text& argument, const std::string& configuration) {
    Text item = item_name_from_argument(argument);
    ASSERT_EQ(item.find_first_of(u"\\/"), Text::npos);
    ASSERT_LE(item.size(), argument.size());
    ASSERT_EQ(argument.compare(argument.size() - item.size(), item.size(), item), 0);

    survives([&] {
        TextInput input;
        input.open_bytes(configuration);
        ContentRoots roots = content_roots(item, input);
        if (roots.content_root.empty()) {
            ASSERT_TRUE(roots.default_root.empty());
        }
        ASSERT_TRUE(input.eof());
    });
    survives([&] {
        ItemStem stem = item_stem(item);
        ASSERT_LE(stem.stem.size() + 4, item.size());
        ASSERT_LE(page_name(item).size() + 4, item.size());
    });
}

void check_caption(const std::string& caption) {
    std::size_t line_ends = 0;
    for (char c : caption) line_ends += (c == '\r' || c == '\n');
    TextInput input;
    input.open_bytes(caption);
    std::size_t lines = 0;
    survives([&] {
        while (!input.eof()) {
            std::string shown = to_display_utf8(input.read_line());
            ASSERT_TRUE(is_valid_utf8(shown));
            ASSERT_EQ(shown.find('\0'), std::string::npos);
            ++lines;
        }
    });
    ASSERT_LE(lines, line_ends + 1);
    ASSERT_EQ(caption.empty(), lines == 0 && input.eof());
}

TEST(Robustness, ArbitraryArgumentsConfigurationsAndCaptions) {
    Inputs inputs(20240611);
    for (int i = 0; i < 40000; ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        check_location(inputs.argument(), inputs.bytes());
        check_caption(inputs.bytes());
        if (HasFailure()) break;
    }
    EXPECT_GT(results_seen, 10000u);
    EXPECT_EQ(errors_seen, (std::set<ErrorCode>{ErrorCode::InvalidArgument, ErrorCode::OutOfMemory,
                                                ErrorCode::ReadPastEnd}));
}

TEST(Robustness, EveryByteDecodes) {
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            std::string bytes{static_cast<char>(a), static_cast<char>(b)};
            Text text = decode_ansi_line(bytes);
            ASSERT_GE(text.size(), 1u);
            ASSERT_LE(text.size(), 2u);
        }
    }
}

}  // namespace
}  // namespace orn
