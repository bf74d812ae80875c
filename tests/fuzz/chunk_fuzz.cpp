// Fuzz target for the AAX chunk data parser: arbitrary bytes, or entries the bytes describe, as the
// data of a chunk record (the first byte's bits choose the form, set the format mark and make the
// record state a smaller size than it holds). The parse must stay inside
// the stated size; whatever it accepts must write back into exactly the size it reports and read
// back to the same list.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "aax/aaxchunkparser.h"

namespace {

std::vector<uint8_t> Record(const uint8_t* data, size_t size, int32_t statedSize) {
  std::vector<uint8_t> bytes(AAX_ChunkRecord::kHeaderSize + size, 0);
  if (size) std::memcpy(bytes.data() + AAX_ChunkRecord::kHeaderSize, data, size);
  reinterpret_cast<AAX_ChunkRecord*>(bytes.data())->size = statedSize;
  return bytes;
}

// Well-formed entries described by the input (tag, name length, value bytes), so that every value
// type is parsed, then cut or changed by the rest of the input.
std::vector<uint8_t> Described(const uint8_t* data, size_t size) {
  static const char kTags[] = {'d', 'f', 'l', 's', 'r', 'q'};
  std::vector<uint8_t> out = {1, 1, 1, 1};
  size_t i = 0;
  auto take = [&]() -> uint8_t { return i < size ? data[i++] : 0; };
  while (i + 2 < size && out.size() < 512) {
    const uint8_t kind = take();
    out.push_back(static_cast<uint8_t>(kTags[kind % 6]));
    out.push_back('_');
    for (int n = take() % 9; n > 0; --n) out.push_back(static_cast<uint8_t>('a' + take() % 26));
    do out.push_back(0); while (out.size() % 4);
    switch (kTags[kind % 6]) {
      case 'd': for (int n = 0; n < 8; ++n) out.push_back(take()); break;
      case 'r':
        for (int n = take() % 7; n > 0; --n) out.push_back(static_cast<uint8_t>(1 + take() % 255));
        do out.push_back(0); while (out.size() % 4);
        break;
      case 'q': break;
      default: for (int n = 0; n < 4; ++n) out.push_back(take()); break;
    }
    if (kind >= 0xF8) out.resize(out.size() - (kind & 7));  // now and then an entry cut short
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // Half the inputs start with the format mark, so that the entries get parsed.
  std::vector<uint8_t> body =
      (data[0] & 4) ? Described(data + 1, size - 1) : std::vector<uint8_t>(data + 1, data + size);
  if ((data[0] & 1) && body.size() >= 4) std::memset(body.data(), 1, 4);
  const int32_t stated = (data[0] & 2) ? static_cast<int32_t>(body.size() * (data[0] >> 2) / 64)
                                       : static_cast<int32_t>(body.size());
  std::vector<uint8_t> bytes = Record(body.data(), body.size(), stated);
  AAX_CChunkDataParser parser;
  const bool ok = parser.LoadChunk(reinterpret_cast<const AAX_ChunkRecord*>(bytes.data()));
  double d;
  int32_t n;
  AAX_CString text;
  for (const auto& v : parser.Values()) {
    parser.FindDouble(v.name.Text(), &d);
    parser.FindInt32(v.name.Text(), &n);
    parser.FindString(v.name.Text(), &text);
  }
  if (!ok) return 0;
  const int32_t written = parser.GetChunkDataSize();
  if (written < 4) std::abort();
  std::vector<uint8_t> out(AAX_ChunkRecord::kHeaderSize + static_cast<size_t>(written), 0);
  auto* record = reinterpret_cast<AAX_ChunkRecord*>(out.data());
  if (parser.GetChunkData(record) != 0 || record->size != written) std::abort();
  AAX_CChunkDataParser again;
  if (!again.LoadChunk(record)) std::abort();
  // Entries of unknown type are not written; every other one reads back alike.
  size_t j = 0;
  for (const auto& v : parser.Values()) {
    if (v.type == AAX_CChunkDataParser::kUnknown) continue;
    if (j >= again.Values().size()) std::abort();
    const auto& w = again.Values()[j++];
    if (w.type != v.type || std::strcmp(w.name.Text(), v.name.Text()) != 0 || w.numeric != v.numeric ||
        std::strcmp(w.text.Text(), v.text.Text()) != 0)
      std::abort();
  }
  if (j != again.Values().size()) std::abort();
  return 0;
}
