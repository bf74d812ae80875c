// MIDI message builders and the editor rectangle's intersection.
#include <gtest/gtest.h>

#include "fx/records.h"

namespace {

TEST(MidiEvent, NoteOnCarriesChannelNoteVelocityAndOffset) {
  IMidiEvent e;
  e.SetNoteOn(60, 100, 12, 3);
  EXPECT_EQ(e.mStatusByte, 0x93);
  EXPECT_EQ(e.mDataByte1, 60);
  EXPECT_EQ(e.mDataByte2, 100);
  EXPECT_EQ(e.mFrameOffset, 12);
}

TEST(MidiEvent, NoteOffHasZeroVelocity) {
  IMidiEvent e;
  e.SetNoteOn(64, 90, 5, 0);
  e.SetNoteOff(64, 40, 15);
  EXPECT_EQ(e.mStatusByte, 0x8F);
  EXPECT_EQ(e.mDataByte1, 64);
  EXPECT_EQ(e.mDataByte2, 0);
  EXPECT_EQ(e.mFrameOffset, 40);
}

TEST(MidiEvent, ControlChangeScalesAndTruncatesValue) {
  IMidiEvent e;
  e.mFrameOffset = 99;
  e.SetControlChange(7, 1.0, 2);
  EXPECT_EQ(e.mStatusByte, 0xB2);
  EXPECT_EQ(e.mDataByte1, 7);
  EXPECT_EQ(e.mDataByte2, 127);
  EXPECT_EQ(e.mFrameOffset, 0);

  e.SetControlChange(1, 0.5, 0);  // 63.5 truncated
  EXPECT_EQ(e.mStatusByte, 0xB0);
  EXPECT_EQ(e.mDataByte2, 63);
  e.SetControlChange(1, 0.0, 0);
  EXPECT_EQ(e.mDataByte2, 0);
}

TEST(IBox, OnlyAllZeroBoxIsEmpty) {
  EXPECT_TRUE(IBox().Empty());
  EXPECT_FALSE(IBox(5, 5, 5, 5).Empty());  // no width or height, yet not empty
  EXPECT_FALSE(IBox(0, 0, 0, 1).Empty());
}

TEST(IBox, OverlapOfIntersectingBoxes) {
  EXPECT_EQ(IBox(0, 0, 10, 10).Overlap(IBox(5, 5, 20, 20)), IBox(5, 5, 10, 10));
  EXPECT_EQ(IBox(5, 5, 20, 20).Overlap(IBox(0, 0, 10, 10)), IBox(5, 5, 10, 10));
  // One box inside the other gives the inner box.
  EXPECT_EQ(IBox(0, 0, 100, 100).Overlap(IBox(10, 20, 30, 40)), IBox(10, 20, 30, 40));
}

TEST(IBox, TouchingEdgesOverlapOnlyFromTheLeftOrTop) {
  // This box's right edge on the other's left edge: a result of no width.
  EXPECT_EQ(IBox(0, 0, 10, 10).Overlap(IBox(10, 0, 20, 10)), IBox(10, 0, 10, 10));
  // The reverse: this box's left edge on the other's right edge does not overlap.
  EXPECT_TRUE(IBox(10, 0, 20, 10).Overlap(IBox(0, 0, 10, 10)).Empty());
  // The same rule vertically.
  EXPECT_EQ(IBox(0, 0, 10, 10).Overlap(IBox(0, 10, 10, 20)), IBox(0, 10, 10, 10));
  EXPECT_TRUE(IBox(0, 10, 10, 20).Overlap(IBox(0, 0, 10, 10)).Empty());
}

TEST(IBox, SeparateBoxesDoNotOverlap) {
  EXPECT_TRUE(IBox(0, 0, 10, 10).Overlap(IBox(11, 0, 20, 10)).Empty());
  EXPECT_TRUE(IBox(0, 0, 10, 10).Overlap(IBox(0, 11, 10, 20)).Empty());
  EXPECT_TRUE(IBox(30, 30, 40, 40).Overlap(IBox(0, 0, 10, 10)).Empty());
}

TEST(IBox, OverlapWithEmptyBoxIsEmpty) {
  EXPECT_TRUE(IBox(-5, -5, 5, 5).Overlap(IBox()).Empty());
  EXPECT_TRUE(IBox().Overlap(IBox(-5, -5, 5, 5)).Empty());
}

}  // namespace
