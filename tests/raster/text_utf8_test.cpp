// The UTF-8 reading of the text drawing: codes by the lead-byte rules, sequences cut by the length,
// the terminating NUL, and the multi-byte test of the system text path.
#include "raster/pixutf8.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// All codes of a text, read with the given length.
std::vector<int> Codes(const char* text, int length) {
  std::vector<int> out;
  PIX_Utf8Reader r(text, length);
  int c = 0;
  while (r.Next(&c)) out.push_back(c);
  return out;
}

// The bytes in a heap block of exactly their size, so that a read past them is an ASan error.
std::unique_ptr<char[]> Exact(const std::vector<unsigned char>& bytes) {
  std::unique_ptr<char[]> p(new char[bytes.size()]);
  for (size_t i = 0; i < bytes.size(); ++i) p[i] = static_cast<char>(bytes[i]);
  return p;
}

TEST(TextUtf8, AsciiAndStrayBytesStandForThemselves) {
  EXPECT_EQ(Codes("AB", -1), (std::vector<int>{0x41, 0x42}));
  // 0x80-0xC1 are no leads: each is its own code. 0xC0 0x80 would be an overlong NUL; it is two codes.
  EXPECT_EQ(Codes("\x80\xC1\xC0\x80", -1), (std::vector<int>{0x80, 0xC1, 0xC0, 0x80}));
}

TEST(TextUtf8, MultiByteCodesFollowTheLeadRules) {
  // C3 A9: ((0xC3 & 0x1F) << 6) | (0xA9 & 0x3F) = (3 << 6) | 0x29 = 0xE9.
  EXPECT_EQ(Codes("\xC3\xA9", -1), (std::vector<int>{0xE9}));
  // E2 82 AC: (2 << 12) | (2 << 6) | 0x2C = 0x20AC.
  EXPECT_EQ(Codes("\xE2\x82\xAC", -1), (std::vector<int>{0x20AC}));
  // A four-byte character is a space.
  EXPECT_EQ(Codes("\xF0\x9F\x98\x80x", -1), (std::vector<int>{0x20, 'x'}));
  // A lead not followed by a continuation byte stands for itself, and so does the next byte.
  EXPECT_EQ(Codes("\xC3" "A", -1), (std::vector<int>{0xC3, 'A'}));
  EXPECT_EQ(Codes("\xF5\x80\x80\x80", -1), (std::vector<int>{0xF5, 0x80, 0x80, 0x80}));
}

TEST(TextUtf8, SequenceCutByTheLengthIsNotDecoded) {
  // Two-byte lead with one byte left: the lead is its own code and the reading ends with the
  // length at 0 (it does not turn into "read to the NUL").
  auto two = Exact({0xC3, 0xA9});
  EXPECT_EQ(Codes(two.get(), 1), (std::vector<int>{0xC3}));
  EXPECT_EQ(Codes(two.get(), 2), (std::vector<int>{0xE9}));
  auto three = Exact({'a', 0xE2, 0x82});
  EXPECT_EQ(Codes(three.get(), 3), (std::vector<int>{'a', 0xE2, 0x82}));
  auto four = Exact({0xF0, 0x9F, 0x98});
  EXPECT_EQ(Codes(four.get(), 3), (std::vector<int>{0xF0, 0x9F, 0x98}));
  EXPECT_TRUE(Codes(four.get(), 0).empty());
}

TEST(TextUtf8, NulEndsTheTextWithinTheLength) {
  auto t = Exact({'a', 0, 'b'});
  EXPECT_EQ(Codes(t.get(), 3), (std::vector<int>{'a'}));
  // A NUL right after a lead ends the text there too; the bytes after it are not looked at.
  EXPECT_EQ(Codes("\xE2", -1), (std::vector<int>{0xE2}));
  EXPECT_EQ(Codes("\xE2\x82", -1), (std::vector<int>{0xE2, 0x82}));
  EXPECT_TRUE(Codes(nullptr, 5).empty());
}

TEST(TextUtf8, MultiByteTestStaysWithinTheLength) {
  EXPECT_FALSE(PIX_Utf8HasMultiByte("abc", -1));
  EXPECT_TRUE(PIX_Utf8HasMultiByte("x\xC3\xA9", -1));
  EXPECT_TRUE(PIX_Utf8HasMultiByte("\xE2\x82\xAC", -1));
  auto cut = Exact({'x', 0xC3, 0xA9});
  EXPECT_FALSE(PIX_Utf8HasMultiByte(cut.get(), 2));
  EXPECT_TRUE(PIX_Utf8HasMultiByte(cut.get(), 3));
  auto cut3 = Exact({0xE2, 0x82});
  EXPECT_FALSE(PIX_Utf8HasMultiByte(cut3.get(), 2));
  EXPECT_FALSE(PIX_Utf8HasMultiByte(nullptr, -1));
}

}  // namespace
