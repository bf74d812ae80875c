// The test hosts' WAV files: every sample format people hand them, read against hand-made bytes,
// and written back in the same format.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "tools/hostsignal/signal.h"

namespace {

using hostsignal::WavFormat;

std::vector<uint8_t> Wav(int tag, int channels, int bits, const std::vector<uint8_t>& samples,
                         bool extensible = false, uint32_t claimed = 0xFFFFFFFF) {
  std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  auto put = [&b](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  b.insert(b.end(), {'L', 'I', 'S', 'T'});  // a chunk before the format, skipped
  put(3, 4);
  b.insert(b.end(), {1, 2, 3, 0});  // odd size: one pad byte
  b.insert(b.end(), {'f', 'm', 't', ' '});
  put(extensible ? 40 : 16, 4);
  put(extensible ? 0xFFFE : tag, 2);
  put(channels, 2);
  put(48000, 4);
  put(48000u * channels * bits / 8, 4);
  put(channels * bits / 8, 2);
  put(bits, 2);
  if (extensible) {
    put(22, 2);
    put(bits, 2);
    put(3, 4);
    put(tag, 2);
    b.insert(b.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71});
  }
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  put(claimed == 0xFFFFFFFF ? static_cast<uint32_t>(samples.size()) : claimed, 4);
  b.insert(b.end(), samples.begin(), samples.end());
  return b;
}

struct Case {
  const char* what;
  int tag, bits;
  bool extensible;
  std::vector<uint8_t> bytes;      // mono samples
  std::vector<double> expected;
};

TEST(WavFiles, EverySampleFormatReadsItsHandValues) {
  const Case cases[] = {
      {"pcm8", 1, 8, false, {0x00, 0x80, 0xFF}, {-1.0, 0.0, 127.0 / 128.0}},
      {"pcm16", 1, 16, false, {0x00, 0x80, 0x00, 0x40, 0xFF, 0xFF}, {-1.0, 0.5, -1.0 / 32768.0}},
      {"pcm24", 1, 24, false, {0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0xC0},
       {-1.0, 8388607.0 / 8388608.0, -0.5}},
      {"pcm24 extensible", 1, 24, true, {0x00, 0x00, 0x40}, {0.5}},
      {"pcm32", 1, 32, false, {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x20}, {-1.0, 0.25}},
      {"float32", 3, 32, false, {0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0xC0}, {0.25, -2.0}},
      {"float64 extensible", 3, 64, true, {0, 0, 0, 0, 0, 0, 0xC0, 0xBF}, {-0.125}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<uint8_t> file = Wav(c.tag, 1, c.bits, c.bytes, c.extensible);
    hostsignal::Planar ch;
    int rate = 0;
    WavFormat f;
    ASSERT_TRUE(hostsignal::ParseWav(file.data(), file.size(), ch, &rate, &f));
    EXPECT_EQ(rate, 48000);
    EXPECT_EQ(f.isFloat, c.tag == 3);
    EXPECT_EQ(f.bits, c.bits);
    ASSERT_EQ(ch.size(), 1u);
    EXPECT_EQ(ch[0], c.expected);
  }
}

TEST(WavFiles, StereoIsInterleavedAndAShortDataChunkGivesItsWholeFrames) {
  // Two 16-bit frames (L, R) and half a third frame; the chunk claims far more.
  const std::vector<uint8_t> file =
      Wav(1, 2, 16, {0x00, 0x40, 0x00, 0xC0, 0x00, 0x20, 0x00, 0xE0, 0x11}, false, 1000);
  hostsignal::Planar ch;
  int rate = 0;
  ASSERT_TRUE(hostsignal::ParseWav(file.data(), file.size(), ch, &rate, nullptr));
  ASSERT_EQ(ch.size(), 2u);
  EXPECT_EQ(ch[0], (std::vector<double>{0.5, 0.25}));
  EXPECT_EQ(ch[1], (std::vector<double>{-0.5, -0.25}));
}

TEST(WavFiles, RefusesWhatItCannotRead) {
  const std::vector<uint8_t> bytes = {0, 0};
  const std::vector<std::vector<uint8_t>> bad = {
      Wav(1, 1, 12, bytes),                            // 12-bit PCM
      Wav(3, 1, 16, bytes),                            // 16-bit float
      Wav(2, 1, 16, bytes),                            // ADPCM
      Wav(1, 0, 16, bytes),                            // no channels
      {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V'},  // cut in the header
  };
  for (const auto& file : bad) {
    hostsignal::Planar ch;
    int rate = 0;
    EXPECT_FALSE(hostsignal::ParseWav(file.data(), file.size(), ch, &rate, nullptr));
  }
}

TEST(WavFiles, WritingKeepsTheFormatAndHoldsPcmToItsRange) {
  const hostsignal::Planar in = {{0.5, -0.25, 2.0, -3.0}, {0.0, 0.125, -1.0, 0.75}};
  for (const char* name : {"pcm8", "pcm16", "pcm24", "pcm32", "float32", "float64"}) {
    SCOPED_TRACE(name);
    WavFormat f;
    ASSERT_TRUE(hostsignal::ParseWavFormat(name, &f));
    const std::string path = std::string("wav_test_") + name + ".wav";
    ASSERT_TRUE(hostsignal::WriteWav(path, in, 96000, f));
    hostsignal::Planar back;
    int rate = 0;
    WavFormat g;
    ASSERT_TRUE(hostsignal::ReadWav(path, back, &rate, &g));
    std::remove(path.c_str());
    EXPECT_EQ(rate, 96000);
    EXPECT_EQ(g.isFloat, f.isFloat);
    EXPECT_EQ(g.bits, f.bits);
    ASSERT_EQ(back.size(), 2u);
    // Integer PCM holds 2.0 at its largest code and -3.0 at -1; float keeps every value.
    EXPECT_EQ(back[0][0], 0.5);
    EXPECT_EQ(back[0][1], -0.25);
    EXPECT_EQ(back[0][2], f.isFloat ? 2.0 : 1.0 - std::ldexp(1.0, 1 - f.bits));
    EXPECT_EQ(back[0][3], f.isFloat ? -3.0 : -1.0);
    EXPECT_EQ(back[1], (std::vector<double>{0.0, 0.125, -1.0, 0.75}));
  }
}

}  // namespace
