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

bool ReadWav(const std::string& path, std::vector<std::vector<double>>& channels, int* rate) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> b;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
  std::fclose(f);
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4)) return false;
  int format = 0, chans = 0, bits = 0;
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    const uint32_t size = Le32(&b[pos + 4]);
    const size_t body = pos + 8;
    if (size > b.size() - body) return false;
    if (!std::memcmp(&b[pos], "fmt ", 4) && size >= 16) {
      format = Le16(&b[body]);
      chans = Le16(&b[body + 2]);
      *rate = static_cast<int>(Le32(&b[body + 4]));
      bits = Le16(&b[body + 14]);
    } else if (!std::memcmp(&b[pos], "data", 4)) {
      if (chans <= 0 || !((format == 1 && bits == 16) || (format == 3 && bits == 32))) return false;
      const size_t frameBytes = static_cast<size_t>(chans) * (bits / 8);
      const size_t frames = size / frameBytes;
      channels.assign(static_cast<size_t>(chans), std::vector<double>(frames));
      for (size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < chans; ++c) {
          const uint8_t* p = &b[body + i * frameBytes + static_cast<size_t>(c) * (bits / 8)];
          if (format == 1) {
            channels[c][i] = static_cast<int16_t>(Le16(p)) / 32768.0;
          } else {
            uint32_t u = Le32(p);
            float v;
            std::memcpy(&v, &u, 4);
            channels[c][i] = v;
          }
        }
      }
      return true;
    }
    pos = body + size + (size & 1);
  }
  return false;
}

bool WriteWav(const std::string& path, const std::vector<std::vector<double>>& channels, int rate) {
  const uint16_t chans = static_cast<uint16_t>(channels.size());
  const size_t frames = chans ? channels[0].size() : 0;
  std::vector<uint8_t> b;
  const uint32_t dataBytes = static_cast<uint32_t>(frames * chans * 4);
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  Put32(b, 36 + dataBytes);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Put32(b, 16);
  Put16(b, 3);
  Put16(b, chans);
  Put32(b, static_cast<uint32_t>(rate));
  Put32(b, static_cast<uint32_t>(rate) * chans * 4);
  Put16(b, static_cast<uint16_t>(chans * 4));
  Put16(b, 32);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  Put32(b, dataBytes);
  for (size_t i = 0; i < frames; ++i) {
    for (uint16_t c = 0; c < chans; ++c) {
      const float v = static_cast<float>(channels[c][i]);
      uint32_t u;
      std::memcpy(&u, &v, 4);
      Put32(b, u);
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  return std::fclose(f) == 0 && ok;
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
