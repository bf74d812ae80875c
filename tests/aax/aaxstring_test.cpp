// The library's string: values, edge cases and the host-facing slot layout.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "aax/aaxstring.h"

TEST(AAX_CString, EmptyStringHasLengthZeroAndALoneZeroByte) {
  AAX_CString empty;
  EXPECT_EQ(empty.TextLength(), 0u);
  ASSERT_NE(empty.Text(), nullptr);
  EXPECT_EQ(empty.Text()[0], '\0');
  EXPECT_EQ(empty.MaxTextLength(), 0xFFFFFFFEu);
  AAX_CString fromNull(nullptr);
  EXPECT_STREQ(fromNull.Text(), "");
}

TEST(AAX_CString, NullTextSetsTheEmptyText) {
  AAX_CString s("abc");
  s.SetText(nullptr);
  EXPECT_STREQ(s.Text(), "");
  s.SetText("abc");
  s.AssignText(nullptr);
  EXPECT_EQ(s.TextLength(), 0u);
}

TEST(AAX_CString, ReplacingFromAPointerIntoItselfKeepsTheRightText) {
  AAX_CString s("a fairly long text that lives on the heap");
  s.SetText(s.Text() + 2);
  EXPECT_STREQ(s.Text(), "fairly long text that lives on the heap");
  s.AssignText(s.CharAt(7));
  EXPECT_STREQ(s.Text(), "long text that lives on the heap");
  s.AssignString(s);
  EXPECT_STREQ(s.Text(), "long text that lives on the heap");
  s.Assign(s);
  EXPECT_STREQ(s.Text(), "long text that lives on the heap");
  AAX_CString ab("ab");
  ab.Append(ab);
  EXPECT_STREQ(ab.Text(), "abab");
}

TEST(AAX_CString, AppendNumberWritesFixedDecimals) {
  AAX_CString s("x=");
  s.AppendNumber(0.5, 2);
  EXPECT_STREQ(s.Text(), "x=0.50");
  AAX_CString t;
  t.AppendNumber(2.0, 0);
  EXPECT_STREQ(t.Text(), "2");
  AAX_CString u;
  u.AppendNumber(-6.0, 2);
  EXPECT_STREQ(u.Text(), "-6.00");
}

TEST(AAX_CString, ToDoubleReadsALeadingNumber) {
  double value = 99.0;
  EXPECT_TRUE(AAX_CString("12.5abc").ToDouble(&value));
  EXPECT_EQ(value, 12.5);
  value = 99.0;
  EXPECT_FALSE(AAX_CString("x1").ToDouble(&value));
  EXPECT_EQ(value, 0.0);
  value = 99.0;
  EXPECT_FALSE(AAX_CString("").ToDouble(&value));
  EXPECT_EQ(value, 0.0);
}

TEST(AAX_CString, EraseLimitsTheCountAndRejectsAPositionBeyondTheSize) {
  AAX_CString s("0123456789");
  s.Erase(8, 3);
  EXPECT_STREQ(s.Text(), "01234567");
  EXPECT_EQ(s.TextLength(), 8u);
  AAX_CString t("0123456789");
  EXPECT_THROW(t.Erase(11, 1), std::out_of_range);
  EXPECT_STREQ(t.Text(), "0123456789");
  t.Erase(10, 1);  // at the end: nothing to remove
  EXPECT_STREQ(t.Text(), "0123456789");
  t.Erase(0, 4);
  EXPECT_STREQ(t.Text(), "456789");
}

TEST(AAX_CString, SubStringGivesAtMostCountCharacters) {
  const AAX_CString s("abcdef");
  AAX_CString out("old");
  s.SubString(2, 100, &out);
  EXPECT_STREQ(out.Text(), "cdef");
  s.SubString(1, 2, &out);
  EXPECT_STREQ(out.Text(), "bc");
  s.SubString(6, 1, &out);
  EXPECT_STREQ(out.Text(), "");
  EXPECT_THROW(s.SubString(7, 1, &out), std::out_of_range);
}

TEST(AAX_CString, CharAtBeyondTheSizePointsAtTheTerminator) {
  const AAX_CString s("abc");
  EXPECT_EQ(*s.CharAt(1), 'b');
  EXPECT_EQ(s.CharAt(3), s.Text() + 3);
  EXPECT_EQ(s.CharAt(1000), s.Text() + 3);
  EXPECT_EQ(*s.CharAt(1000), '\0');
}

TEST(AAX_CString, ComparisonsAreBytewiseUnsigned) {
  const AAX_CString high("\xC3"), z("z"), a("a"), ab("ab");
  EXPECT_TRUE(z < high);
  EXPECT_FALSE(high < z);
  EXPECT_TRUE(a < ab);
  EXPECT_FALSE(ab < a);
  EXPECT_FALSE(a < AAX_CString("a"));
  EXPECT_TRUE(a == AAX_CString("a"));
  EXPECT_FALSE(a == ab);
  EXPECT_TRUE(a != ab);
  EXPECT_FALSE(a != AAX_CString("a"));
  AAX_CString copy(ab);
  copy.Clear();
  EXPECT_STREQ(copy.Text(), "");
  EXPECT_STREQ(ab.Text(), "ab");
}

// The host reaches the string through its method table: slot 0 deletes, slots 1 to 6 follow.
TEST(AAX_CString, HostSeesTheSlotsFromOneAfterSlotZero) {
  AAX_CString* s = new AAX_CString("abc");
  AAX_IString* face = s;
  void* const* vt = *reinterpret_cast<void* const* const*>(face);
  auto textLength = reinterpret_cast<uint32_t (*)(AAX_IString*)>(vt[1]);
  auto maxLength = reinterpret_cast<uint32_t (*)(AAX_IString*)>(vt[2]);
  auto text = reinterpret_cast<const char* (*)(AAX_IString*)>(vt[3]);
  auto setText = reinterpret_cast<void (*)(AAX_IString*, const char*)>(vt[4]);
  auto assignText = reinterpret_cast<AAX_IString& (*)(AAX_IString*, const char*)>(vt[5]);
  auto assignString = reinterpret_cast<AAX_IString& (*)(AAX_IString*, const AAX_IString&)>(vt[6]);
  auto destroy = reinterpret_cast<void (*)(AAX_IString*)>(vt[0]);
  EXPECT_EQ(textLength(face), 3u);
  EXPECT_EQ(maxLength(face), 0xFFFFFFFEu);
  EXPECT_STREQ(text(face), "abc");
  setText(face, "hello");
  EXPECT_STREQ(s->Text(), "hello");
  EXPECT_EQ(&assignText(face, "xy"), face);
  EXPECT_STREQ(s->Text(), "xy");
  const AAX_CString other("other");
  EXPECT_EQ(&assignString(face, other), face);
  EXPECT_STREQ(s->Text(), "other");
  destroy(face);  // the leak check of the native build sees it freed
}
