// Byte buffer of a serialised state: written by appending, read at a position the reader carries along.
#pragma once

#include <cstdint>

#include "fx/containers.h"

class StateBlob {
 public:
  StateBlob() : mBlock(4096) {}

  int Size() const { return mBlock.Size(); }
  const uint8_t* Data() const { return static_cast<const uint8_t*>(mBlock.Data()); }
  uint8_t* Data() { return static_cast<uint8_t*>(mBlock.Data()); }
  // Size 0; the allocation is kept.
  void Clear() { mBlock.ChangeSize(0, false); }
  // Appends count bytes; false (blob unchanged) when it cannot grow.
  bool AppendBytes(const void* bytes, int count);
  // Copies count bytes from pos into out and returns pos + count; -1 (nothing read) when pos is
  // negative or the bytes run past the end.
  int ReadBytes(void* out, int count, int pos) const;
  // Little-endian doubles and int32s, the state format's encodings.
  bool AppendDouble(double v);
  bool AppendInt32(int32_t v);
  int ReadDouble(double* out, int pos) const;
  int ReadInt32(int32_t* out, int pos) const;

 private:
  GrowableBlock mBlock;
};

// Little-endian encodings, independent of the machine's byte order.
void StoreLE64(uint8_t* dst, double v);
double LoadLE64(const uint8_t* src);
void StoreLE32(uint8_t* dst, int32_t v);
int32_t LoadLE32(const uint8_t* src);
