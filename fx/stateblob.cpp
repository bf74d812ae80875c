#include "fx/stateblob.h"

#include <cstring>

void StoreLE64(uint8_t* dst, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, 8);
  for (int i = 0; i < 8; ++i) dst[i] = static_cast<uint8_t>(bits >> (8 * i));
}

double LoadLE64(const uint8_t* src) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(src[i]) << (8 * i);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

void StoreLE32(uint8_t* dst, int32_t v) {
  const uint32_t bits = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<uint8_t>(bits >> (8 * i));
}

int32_t LoadLE32(const uint8_t* src) {
  uint32_t bits = 0;
  for (int i = 0; i < 4; ++i) bits |= static_cast<uint32_t>(src[i]) << (8 * i);
  return static_cast<int32_t>(bits);
}

bool StateBlob::AppendBytes(const void* bytes, int count) {
  if (count < 0) return false;
  const int old = mBlock.Size();
  const int64_t want = static_cast<int64_t>(old) + count;
  if (want > INT32_MAX) return false;
  mBlock.ChangeSize(static_cast<int>(want), false);
  if (mBlock.Size() != want) return false;
  if (count > 0 && bytes) std::memcpy(Data() + old, bytes, static_cast<size_t>(count));
  return true;
}

int StateBlob::ReadBytes(void* out, int count, int pos) const {
  if (pos < 0 || count < 0) return -1;
  if (static_cast<int64_t>(pos) + count > mBlock.Size()) return -1;
  if (count > 0) std::memcpy(out, Data() + pos, static_cast<size_t>(count));
  return pos + count;
}

bool StateBlob::AppendDouble(double v) {
  uint8_t b[8];
  StoreLE64(b, v);
  return AppendBytes(b, 8);
}

bool StateBlob::AppendInt32(int32_t v) {
  uint8_t b[4];
  StoreLE32(b, v);
  return AppendBytes(b, 4);
}

int StateBlob::ReadDouble(double* out, int pos) const {
  uint8_t b[8];
  const int next = ReadBytes(b, 8, pos);
  if (next >= 0) *out = LoadLE64(b);
  return next;
}

int StateBlob::ReadInt32(int32_t* out, int pos) const {
  uint8_t b[4];
  const int next = ReadBytes(b, 4, pos);
  if (next >= 0) *out = LoadLE32(b);
  return next;
}
