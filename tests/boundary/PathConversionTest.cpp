#include <gtest/gtest.h>

#include <string>

#include "boundary/PathConversion.h"

namespace rastero {
namespace {

TEST(PathConversionTest, ConvertsUtf16ToUtf8) {
    struct Case {
        const char* name;
        std::u16string wide;
        std::string narrow;
    };
    const Case cases[] = {
        {"empty", u"", ""},
        {"ascii", u"/tmp/in.bmp", "/tmp/in.bmp"},
        {"two-byte accented", u"caf\u00e9/\u00c5.bmp", "caf\xc3\xa9/\xc3\x85.bmp"},
        {"three-byte CJK", u"\u5199\u771f.bmp", "\xe5\x86\x99\xe7\x9c\x9f.bmp"},
        {"last code unit before the surrogates", u"\ud7ff", "\xed\x9f\xbf"},
        {"first code unit after the surrogates", u"\ue000", "\xee\x80\x80"},
        {"largest code unit", u"\uffff", "\xef\xbf\xbf"},
        {"surrogate pair to four bytes", u"\U0001F600.bmp", "\xf0\x9f\x98\x80.bmp"},
        {"last code point", u"\U0010FFFF", "\xf4\x8f\xbf\xbf"},
    };
    for (const Case& c : cases) {
        const NarrowPath path(reinterpret_cast<const RasteroWideChar*>(c.wide.c_str()));
        ASSERT_NE(path.Get(), nullptr) << c.name;
        EXPECT_EQ(std::string(path.Get()), c.narrow) << c.name << ": have " << path.Get()
                                                     << ", want " << c.narrow;
    }
}

TEST(PathConversionTest, UnpairedSurrogateGivesTheEmptyName) {
    const std::u16string cases[] = {
        std::u16string(u"in") + char16_t(0xD800) + u".bmp",   // high surrogate, no low one
        std::u16string(u"in.bmp") + char16_t(0xDBFF),          // high surrogate at the end
        std::u16string(u"in") + char16_t(0xDC00) + u".bmp",   // low surrogate alone
        std::u16string(1, char16_t(0xDFFF)) + char16_t(0xD800),  // pair in the wrong order
    };
    for (const std::u16string& wide : cases) {
        const NarrowPath path(reinterpret_cast<const RasteroWideChar*>(wide.c_str()));
        ASSERT_NE(path.Get(), nullptr);
        EXPECT_STREQ(path.Get(), "");
    }
}

TEST(PathConversionTest, NullPathGivesNullName) {
    const NarrowPath path(nullptr);
    EXPECT_EQ(path.Get(), nullptr);
}

// Every unit at its widest: a buffer of (length + 1) x 2 bytes would not hold these.
TEST(PathConversionTest, BufferHoldsTheWidestPaths) {
    const std::u16string wide(1000, u'\u5199');
    std::string narrow;
    for (int i = 0; i < 1000; ++i) narrow += "\xe5\x86\x99";
    const NarrowPath path(reinterpret_cast<const RasteroWideChar*>(wide.c_str()));
    EXPECT_EQ(std::string(path.Get()), narrow);
    EXPECT_EQ(NarrowPathCapacity(wide.size()), 3001u);
}

TEST(PathConversionTest, ConversionThatDoesNotFitLeavesTheEmptyName) {
    const char16_t wide[] = u"\u5199\u5199";
    char buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};  // one byte short of two CJK units and the end
    ConvertWidePath(reinterpret_cast<const RasteroWideChar*>(wide), 2, buffer, sizeof buffer);
    EXPECT_EQ(buffer[0], '\0');
}

}  // namespace
}  // namespace rastero
