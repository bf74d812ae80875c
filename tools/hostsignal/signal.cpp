// Test signals, level measurement, WAV files and raw sample dumps for the project's test hosts.
#include "tools/hostsignal/signal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace hostsignal {

namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

Planar TestSignal(int channels, int rate, double seconds) {
  const size_t frames = static_cast<size_t>(rate * seconds);
  std::vector<std::vector<double>> x(static_cast<size_t>(channels), std::vector<double>(frames));
  const double levels[] = {-40.0, -20.0, -6.0, -30.0};
  for (size_t i = 0; i < frames; ++i) {
    const double a = std::pow(10.0, levels[(i * 4) / frames] / 20.0);
    x[0][i] = a * std::sin(2.0 * kPi * 1000.0 * static_cast<double>(i) / rate);
    if (channels > 1) x[1][i] = 0.5 * a * std::sin(2.0 * kPi * 220.0 * static_cast<double>(i) / rate);
  }
  return x;
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return true;
}

SignalStats Measure(const std::vector<double>& x) {
  SignalStats s;
  double sum = 0.0;
  for (double v : x) {
    s.peak = std::fmax(s.peak, std::fabs(v));
    sum += v * v;
  }
  s.rms = x.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(x.size()));
  return s;
}

double ToDb(double v) { return v > 0.0 ? 20.0 * std::log10(v) : -INFINITY; }

// ---------------------------------------------------------------- WAV

namespace {
uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
}  // namespace

namespace {
// The sub-format identifier of WAVE_FORMAT_EXTENSIBLE after its first two bytes (the format tag).
const uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool SupportedFormat(const WavFormat& f) {
  return f.isFloat ? (f.bits == 32 || f.bits == 64)
                   : (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
}

double ReadSample(const uint8_t* p, const WavFormat& f) {
  switch (f.isFloat ? -f.bits : f.bits) {
    case 8: return (static_cast<int>(p[0]) - 128) / 128.0;
    case 16: return static_cast<int16_t>(Le16(p)) / 32768.0;
    case 24: {
      const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 8 |
                                             static_cast<uint32_t>(p[1]) << 16 |
                                             static_cast<uint32_t>(p[2]) << 24) >> 8;
      return v / 8388608.0;
    }
    case 32: return static_cast<int32_t>(Le32(p)) / 2147483648.0;
    case -32: {
      const uint32_t u = Le32(p);
      float v;
      std::memcpy(&v, &u, 4);
      return v;
    }
    default: {  // 64-bit float
      const uint64_t u = Le32(p) | static_cast<uint64_t>(Le32(p + 4)) << 32;
      double v;
      std::memcpy(&v, &u, 8);
      return v;
    }
  }
}

void PutSample(std::vector<uint8_t>& b, double v, const WavFormat& f) {
  if (f.isFloat) {
    if (f.bits == 32) {
      const float x = static_cast<float>(v);
      uint32_t u;
      std::memcpy(&u, &x, 4);
      Put32(b, u);
    } else {
      uint64_t u;
      std::memcpy(&u, &v, 8);
      Put32(b, static_cast<uint32_t>(u));
      Put32(b, static_cast<uint32_t>(u >> 32));
    }
    return;
  }
  // Integer PCM: full scale is 2^(bits-1); the largest code is one below it.
  const double scale = std::ldexp(1.0, f.bits - 1);
  double x = std::nearbyint((std::isnan(v) ? 0.0 : v) * scale);
  x = x < -scale ? -scale : (x > scale - 1.0 ? scale - 1.0 : x);
  const int64_t code = static_cast<int64_t>(x);
  if (f.bits == 8) {
    b.push_back(static_cast<uint8_t>(code + 128));
    return;
  }
  for (int i = 0; i < f.bits / 8; ++i) b.push_back(static_cast<uint8_t>(static_cast<uint64_t>(code) >> (8 * i)));
}
}  // namespace

bool ParseWav(const uint8_t* data, size_t size, Planar& channels, int* rate, WavFormat* format) {
  if (!data || size < 12 || std::memcmp(data, "RIFF", 4) || std::memcmp(data + 8, "WAVE", 4)) return false;
  WavFormat f;
  int chans = 0;
  uint32_t sampleRate = 0;
  bool haveFormat = false;
  size_t pos = 12;
  while (pos <= size && size - pos >= 8) {
    const uint32_t chunk = Le32(data + pos + 4);
    const size_t body = pos + 8;
    const size_t avail = size - body;
    if (!std::memcmp(data + pos, "fmt ", 4)) {
      if (chunk < 16 || chunk > avail) return false;
      const uint8_t* p = data + body;
      int tag = Le16(p);
      chans = Le16(p + 2);
      sampleRate = Le32(p + 4);
      f.bits = Le16(p + 14);
      if (tag == 0xFFFE) {
        if (chunk < 40 || Le16(p + 16) < 22 || std::memcmp(p + 26, kSubFormatTail, 14)) return false;
        tag = Le16(p + 24);
      }
      if (tag != 1 && tag != 3) return false;
      f.isFloat = tag == 3;
      haveFormat = true;
    } else if (!std::memcmp(data + pos, "data", 4)) {
      if (!haveFormat || chans < 1 || sampleRate < 1 || sampleRate > 0x7FFFFFFF || !SupportedFormat(f)) {
        return false;
      }
      const size_t frameBytes = static_cast<size_t>(chans) * static_cast<size_t>(f.bits / 8);
      const size_t bytes = chunk < avail ? chunk : avail;
      const size_t frames = bytes / frameBytes;
      channels.assign(static_cast<size_t>(chans), std::vector<double>(frames));
      const uint8_t* p = data + body;
      for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < chans; ++c, p += f.bits / 8) channels[static_cast<size_t>(c)][i] = ReadSample(p, f);
      }
      *rate = static_cast<int>(sampleRate);
      if (format) *format = f;
      return true;
    }
    if (chunk > avail) return false;
    pos = body + chunk + (chunk & 1);
  }
  return false;
}

bool ReadWav(const std::string& path, Planar& channels, int* rate, WavFormat* format) {
  std::vector<uint8_t> b;
  return ReadBytes(path, b) && ParseWav(b.data(), b.size(), channels, rate, format);
}

bool WriteWav(const std::string& path, const Planar& channels, int rate, const WavFormat& format) {
  if (!SupportedFormat(format) || channels.empty() || channels.size() > 0xFFFF || rate < 1) return false;
  const uint16_t chans = static_cast<uint16_t>(channels.size());
  const size_t frames = channels[0].size();
  const uint32_t sampleBytes = static_cast<uint32_t>(format.bits / 8);
  const uint64_t dataBytes = static_cast<uint64_t>(frames) * chans * sampleBytes;
  // Float data carries the two-byte extension size in its format chunk.
  const uint32_t fmtBytes = format.isFloat ? 18 : 16;
  if (dataBytes > 0xFFFFFFFFull - 64) return false;
  std::vector<uint8_t> b;
  b.reserve(static_cast<size_t>(dataBytes) + 64);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  Put32(b, static_cast<uint32_t>(4 + 8 + fmtBytes + 8 + dataBytes + (dataBytes & 1)));
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, fmtBytes);
  Put16(b, format.isFloat ? 3 : 1);
  Put16(b, chans);
  Put32(b, static_cast<uint32_t>(rate));
  Put32(b, static_cast<uint32_t>(rate) * chans * sampleBytes);
  Put16(b, static_cast<uint16_t>(chans * sampleBytes));
  Put16(b, static_cast<uint16_t>(format.bits));
  if (format.isFloat) Put16(b, 0);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, static_cast<uint32_t>(dataBytes));
  for (size_t i = 0; i < frames; ++i) {
    for (uint16_t c = 0; c < chans; ++c) PutSample(b, i < channels[c].size() ? channels[c][i] : 0.0, format);
  }
  if (dataBytes & 1) b.push_back(0);
  return WriteBytes(path, b.data(), b.size());
}

bool ParseWavFormat(const std::string& name, WavFormat* format) {
  const struct {
    const char* name;
    bool isFloat;
    int bits;
  } kNames[] = {{"pcm8", false, 8},   {"pcm16", false, 16},  {"pcm24", false, 24},
                {"pcm32", false, 32}, {"float32", true, 32}, {"float64", true, 64}};
  for (const auto& n : kNames) {
    if (name == n.name) {
      format->isFloat = n.isFloat;
      format->bits = n.bits;
      return true;
    }
  }
  return false;
}

bool TakeOutFormatOption(const char* name, WavFormat* format, bool* given) {
  if (!ParseWavFormat(name ? name : "", format)) {
    std::fprintf(stderr, "--out-format wants pcm8, pcm16, pcm24, pcm32, float32 or float64\n");
    return false;
  }
  *given = true;
  return true;
}

bool HostInputSignal(const std::string& in, double seconds, double* rate, int* channels,
                     WavFormat* format, Planar* signal) {
  if (in.empty()) {
    *signal = TestSignal(*channels, static_cast<int>(*rate), seconds);
    return true;
  }
  int fileRate = 0;
  if (!ReadWav(in, *signal, &fileRate, format) || signal->empty() || fileRate <= 0) {
    std::fprintf(stderr, "cannot read %s (WAV of 8, 16, 24 or 32-bit PCM or 32 or 64-bit float, with a rate)\n",
                 in.c_str());
    return false;
  }
  *rate = fileRate;
  *channels = signal->size() >= 2 ? 2 : 1;
  signal->resize(static_cast<size_t>(*channels));
  return true;
}

bool CompareWithDump(const std::string& path, const std::vector<double>& samples, double tolerance) {
  std::vector<uint8_t> ref;
  if (!ReadBytes(path, ref) || ref.size() != samples.size() * sizeof(double)) {
    std::fprintf(stderr, "compare: %s is missing or of another length\n", path.c_str());
    return false;
  }
  double worst = 0.0;
  size_t differing = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    double r;
    std::memcpy(&r, &ref[i * sizeof(double)], sizeof r);
    if (std::memcmp(&samples[i], &r, sizeof r) == 0) continue;
    ++differing;
    const double diff = std::fabs(samples[i] - r) / std::fmax(std::fabs(r), 1e-300);
    // A NaN on either side is a difference (fmax would pass it over).
    worst = std::isnan(diff) ? INFINITY : std::fmax(worst, diff);
  }
  std::printf("compare: %zu of %zu samples differ, largest relative difference %.3g\n", differing,
              samples.size(), worst);
  return tolerance > 0.0 ? worst <= tolerance : differing == 0;
}

std::wstring WindowsPath(const std::string& path) {
  std::string p = path;
  if (!p.empty() && p[0] == '/') p = "Z:" + p;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return std::wstring(p.begin(), p.end());
}

}  // namespace hostsignal
