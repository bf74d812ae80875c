// Small records passed between the subsystems: MIDI messages, system-exclusive blocks, the host's
// transport information and the integer rectangle of the editor.
#pragma once

#include <cstdint>

struct IMidiEvent {
  int32_t mFrameOffset = 0;  // sample position of the event within the block
  uint8_t mStatusByte = 0;
  uint8_t mDataByte1 = 0;
  uint8_t mDataByte2 = 0;

  // Channel and data values are stored in single bytes; callers keep them in range.
  void SetNoteOn(int note, int velocity, int frameOffset, int channel);
  void SetNoteOff(int note, int frameOffset, int channel);
  // value is 0..1 and becomes 0..127, truncated.
  void SetControlChange(int controller, double value, int channel);
};

struct IExclusiveMessage {
  int32_t mFrameOffset = 0;
  int32_t mByteCount = 0;
  const uint8_t* mBytes = nullptr;  // not owned
};

// Filled by a binding from the host's transport; no initial values of its own.
struct ITransportInfo {
  double mBeatsPerMinute;
  double mSamplePosition;
  double mQuarterNotePosition;
  double mBarStartQuarterNotes;
  double mLoopStartQuarterNotes;
  double mLoopEndQuarterNotes;
  int32_t mMeterNumerator;
  int32_t mMeterDenominator;
  bool mIsPlaying;
  bool mIsLooping;
};

// Integer rectangle. All four members 0 is the empty box; any other box is not empty, even one of
// no width or height.
struct IBox {
  int32_t mLeft = 0;
  int32_t mTop = 0;
  int32_t mRight = 0;
  int32_t mBottom = 0;

  IBox() = default;
  IBox(int32_t l, int32_t t, int32_t r, int32_t b) : mLeft(l), mTop(t), mRight(r), mBottom(b) {}

  bool Empty() const { return mLeft == 0 && mTop == 0 && mRight == 0 && mBottom == 0; }
  int Width() const { return mRight - mLeft; }
  int Height() const { return mBottom - mTop; }
  bool operator==(const IBox& o) const {
    return mLeft == o.mLeft && mTop == o.mTop && mRight == o.mRight && mBottom == o.mBottom;
  }
  bool operator!=(const IBox& o) const { return !(*this == o); }

  // Intersection, or the empty box. Not symmetric: this box's right edge touching other's left edge
  // (or bottom touching top) still overlaps with a result of no width (height); the reverse does not.
  IBox Overlap(const IBox& other) const;
};
