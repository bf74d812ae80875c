#include "aax/aaxchunkparser.h"

#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "aax/aaxproxies.h"

namespace {

constexpr uint8_t kMark[4] = {1, 1, 1, 1};

int64_t RoundUp4(int64_t n) { return (n + 3) & ~int64_t{3}; }

// Length of the zero-terminated text within its first `limit` bytes (`limit` when there is no zero).
int64_t BoundedLength(const char* text, int64_t limit) {
  const void* zero = std::memchr(text, 0, static_cast<size_t>(limit));
  return zero ? static_cast<const char*>(zero) - text : limit;
}

const char* Tag(int32_t type) {
  switch (type) {
    case AAX_CChunkDataParser::kFloat: return "f_";
    case AAX_CChunkDataParser::kInt32: return "l_";
    case AAX_CChunkDataParser::kDouble: return "d_";
    case AAX_CChunkDataParser::kInt16: return "s_";
    case AAX_CChunkDataParser::kText: return "r_";
    default: return nullptr;
  }
}

// Bytes the value takes after the name and its padding; entries of unknown type are not written.
int64_t ValueSize(const AAX_CChunkDataParser::ChunkValue& v) {
  switch (v.type) {
    case AAX_CChunkDataParser::kFloat:
    case AAX_CChunkDataParser::kInt32:
    case AAX_CChunkDataParser::kInt16: return 4;
    case AAX_CChunkDataParser::kDouble: return 8;
    case AAX_CChunkDataParser::kText: return RoundUp4(int64_t{v.text.TextLength()} + 1);
    default: return 0;
  }
}

int64_t EntrySize(const AAX_CChunkDataParser::ChunkValue& v) {
  if (!Tag(v.type)) return 0;
  return RoundUp4(2 + int64_t{v.name.TextLength()} + 1) + ValueSize(v);
}

// The low `count` bytes of the value, most significant first.
void PutReversed(uint8_t* at, uint64_t value, int count) {
  for (int i = 0; i < count; ++i) at[i] = static_cast<uint8_t>(value >> (8 * (count - 1 - i)));
}

uint64_t GetReversed(const uint8_t* at, int count) {
  uint64_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | at[i];
  return value;
}

}  // namespace

void AAX_CChunkDataParser::AddDouble(const char* name, double value) {
  ChunkValue v;
  v.type = kDouble;
  v.name.SetText(name);
  std::memcpy(&v.numeric, &value, sizeof value);
  mValues.push_back(std::move(v));
}

void AAX_CChunkDataParser::AddInt32(const char* name, int32_t value) {
  ChunkValue v;
  v.type = kInt32;
  v.name.SetText(name);
  v.numeric = static_cast<uint32_t>(value);
  mValues.push_back(std::move(v));
}

void AAX_CChunkDataParser::AddString(const char* name, const char* text) {
  ChunkValue v;
  v.type = kText;
  v.name.SetText(name);
  v.text.SetText(text);
  mValues.push_back(std::move(v));
}

int32_t AAX_CChunkDataParser::FindName(const char* name) {
  const char* wanted = name ? name : "";
  const int32_t count = static_cast<int32_t>(mValues.size());
  if (mSearchCursor >= count - 1) mSearchCursor = -1;
  for (int32_t i = mSearchCursor + 1; i < count; ++i) {
    if (std::strcmp(mValues[static_cast<size_t>(i)].name.Text(), wanted) == 0) return mSearchCursor = i;
  }
  for (int32_t i = 0; i <= mSearchCursor; ++i) {
    if (std::strcmp(mValues[static_cast<size_t>(i)].name.Text(), wanted) == 0) return mSearchCursor = i;
  }
  return -1;
}

bool AAX_CChunkDataParser::FindDouble(const char* name, double* out) {
  if (!out) return false;
  const int32_t at = FindName(name);
  if (at < 0 || mValues[static_cast<size_t>(at)].type != kDouble) return false;
  std::memcpy(out, &mValues[static_cast<size_t>(at)].numeric, sizeof *out);
  return true;
}

bool AAX_CChunkDataParser::FindInt32(const char* name, int32_t* out) {
  if (!out) return false;
  const int32_t at = FindName(name);
  if (at < 0 || mValues[static_cast<size_t>(at)].type != kInt32) return false;
  *out = static_cast<int32_t>(static_cast<uint32_t>(mValues[static_cast<size_t>(at)].numeric));
  return true;
}

bool AAX_CChunkDataParser::FindString(const char* name, AAX_IString* out) {
  if (!out) return false;
  const int32_t at = FindName(name);
  if (at < 0 || mValues[static_cast<size_t>(at)].type != kText) return false;
  out->SetText(mValues[static_cast<size_t>(at)].text.Text());
  return true;
}

int32_t AAX_CChunkDataParser::GetChunkDataSize() const {
  int64_t size = sizeof kMark;
  for (const ChunkValue& v : mValues) {
    size += EntrySize(v);
    if (size > INT32_MAX) return -1;
  }
  return static_cast<int32_t>(size);
}

int32_t AAX_CChunkDataParser::GetChunkData(AAX_ChunkRecord* record) const {
  if (!record) return kAAXNullArgument;
  const int32_t n = GetChunkDataSize();
  record->size = n;
  if (n < 1) return n;
  try {
    uint8_t* data = record->Data();
    std::memset(data, 0, static_cast<size_t>(n));
    std::memcpy(data, kMark, sizeof kMark);
    int64_t position = sizeof kMark;
    for (const ChunkValue& v : mValues) {
      const char* tag = Tag(v.type);
      if (!tag) continue;
      if (position + EntrySize(v) > n) throw std::runtime_error("aborting: chunk data will overflow buffer");
      uint8_t* at = data + position;
      std::memcpy(at, tag, 2);
      std::memcpy(at + 2, v.name.Text(), v.name.TextLength());  // the zero and padding are already there
      at += RoundUp4(2 + int64_t{v.name.TextLength()} + 1);
      switch (v.type) {
        case kFloat:
        case kInt32: PutReversed(at, v.numeric, 4); break;
        case kDouble: PutReversed(at, v.numeric, 8); break;
        case kInt16: PutReversed(at, v.numeric, 2); break;
        case kText: std::memcpy(at, v.text.Text(), v.text.TextLength()); break;
      }
      position += EntrySize(v);
    }
  } catch (const std::exception& e) {
    HostTrace(0x8000000, "AAX_CChunkDataParser::GetChunkData ERROR: %s", e.what());
    return kAAXChunkOverflow;
  } catch (...) {
    HostTrace(0x8000000, "AAX_CChunkDataParser::GetChunkData ERROR: %s", "Unknown exception");
    return kAAXChunkOverflow;
  }
  return kAAXOk;
}

bool AAX_CChunkDataParser::LoadChunk(const AAX_ChunkRecord* record) {
  Reset();
  if (!record) return false;
  mChunkVersion = record->version;
  const int64_t size = record->size;
  const uint8_t* data = record->Data();
  if (size < static_cast<int64_t>(sizeof kMark) || std::memcmp(data, kMark, sizeof kMark) != 0) return false;
  int64_t position = sizeof kMark;
  while (position < size) {
    // Tag and name: at most 255 bytes, never past the data; without its zero inside the data the
    // entry does not fit.
    const int64_t left = size - position;
    const char* text = reinterpret_cast<const char*>(data + position);
    const int64_t limit = left < 255 ? left : 255;
    const int64_t length = BoundedLength(text, limit);
    if (length == left || length < 2) return false;
    ChunkValue v;
    v.name.SetText(std::string(text + 2, static_cast<size_t>(length - 2)).c_str());
    const int64_t at = RoundUp4(position + length + 1);
    switch (text[0]) {
      case 'd':
        if (at + 8 > size) return false;
        v.type = kDouble;
        v.numeric = GetReversed(data + at, 8);
        position = at + 8;
        break;
      case 'f':
      case 'l':
        if (at + 4 > size) return false;
        v.type = text[0] == 'f' ? kFloat : kInt32;
        v.numeric = GetReversed(data + at, 4);
        position = at + 4;
        break;
      case 's':
        if (at + 2 > size) return false;
        v.type = kInt16;
        v.numeric = GetReversed(data + at, 2);
        position = at + 4;
        break;
      case 'r': {
        if (at >= size) return false;
        const char* value = reinterpret_cast<const char*>(data + at);
        const int64_t valueLength = BoundedLength(value, size - at);
        if (valueLength == size - at) return false;
        v.type = kText;
        v.text.SetText(value);
        position = RoundUp4(at + valueLength + 1);
        break;
      }
      default:
        v.type = kUnknown;
        position = at;
        break;
    }
    mValues.push_back(std::move(v));
  }
  return true;
}

void AAX_CChunkDataParser::Reset() {
  mValues.clear();
  mSearchCursor = -1;
  mChunkVersion = -1;
}
