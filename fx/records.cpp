#include "fx/records.h"

void IMidiEvent::SetNoteOn(int note, int velocity, int frameOffset, int channel) {
  mStatusByte = static_cast<uint8_t>(0x90 | channel);
  mDataByte1 = static_cast<uint8_t>(note);
  mDataByte2 = static_cast<uint8_t>(velocity);
  mFrameOffset = frameOffset;
}

void IMidiEvent::SetNoteOff(int note, int frameOffset, int channel) {
  mStatusByte = static_cast<uint8_t>(0x80 | channel);
  mDataByte1 = static_cast<uint8_t>(note);
  mDataByte2 = 0;
  mFrameOffset = frameOffset;
}

void IMidiEvent::SetControlChange(int controller, double value, int channel) {
  mStatusByte = static_cast<uint8_t>(0xB0 | channel);
  mDataByte1 = static_cast<uint8_t>(controller);
  mDataByte2 = static_cast<uint8_t>(static_cast<int>(value * 127.0));
  mFrameOffset = 0;
}

IBox IBox::Overlap(const IBox& other) const {
  if (Empty() || other.Empty() || mRight < other.mLeft || mLeft >= other.mRight ||
      mBottom < other.mTop || mTop >= other.mBottom) {
    return IBox();
  }
  return IBox(mLeft > other.mLeft ? mLeft : other.mLeft, mTop > other.mTop ? mTop : other.mTop,
              mRight < other.mRight ? mRight : other.mRight,
              mBottom < other.mBottom ? mBottom : other.mBottom);
}
