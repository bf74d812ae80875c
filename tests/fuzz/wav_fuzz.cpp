// Fuzz target for the test hosts' WAV reader: arbitrary bytes, and bytes behind a well-formed
// header that the input describes (format tag, extensible or not, bits, channels, chunk sizes), so
// that every sample format is read. Whatever the bytes, the reader either refuses or gives
// channels of equal length, no more frames than the bytes can hold, and PCM samples within -1..1.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tools/hostsignal/signal.h"

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void Check(const uint8_t* data, size_t size) {
  hostsignal::Planar ch;
  int rate = 0;
  hostsignal::WavFormat f;
  if (!hostsignal::ParseWav(data, size, ch, &rate, &f)) return;
  if (ch.empty() || rate < 1) std::abort();
  const size_t frames = ch[0].size();
  if (frames * ch.size() * static_cast<size_t>(f.bits / 8) > size) std::abort();
  for (const auto& c : ch) {
    if (c.size() != frames) std::abort();
    if (!f.isFloat) {
      for (double v : c) {
        if (!(v >= -1.0 && v < 1.0)) std::abort();
      }
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(data, size);
  if (size < 8) return 0;
  // A header described by the first bytes, the rest as sample data.
  const uint8_t kinds[][2] = {{1, 8}, {1, 16}, {1, 24}, {1, 32}, {3, 32}, {3, 64}, {1, 12}, {3, 16}};
  const uint8_t* k = kinds[data[0] % 8];
  const bool extensible = data[1] & 1;
  const uint32_t chans = data[2] % 9;
  const uint32_t claimed = (data[3] & 1) ? 0xFFFFFFFFu : data[4] * 7u;
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  Put32(b, extensible ? 40 : 16);
  Put16(b, extensible ? 0xFFFE : k[0]);
  Put16(b, chans);
  Put32(b, 44100 + data[5]);
  Put32(b, 0);
  Put16(b, chans * k[1] / 8);
  Put16(b, k[1]);
  if (extensible) {
    Put16(b, (data[1] & 2) ? 22 : 10);
    Put16(b, k[1]);
    Put32(b, 3);
    Put16(b, k[0]);
    const uint8_t tail[14] = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, static_cast<uint8_t>((data[1] & 4) ? 0x71 : 0x72)};
    b.insert(b.end(), tail, tail + 14);
  }
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, claimed);
  b.insert(b.end(), data + 6, data + size);
  Check(b.data(), b.size());
  return 0;
}
