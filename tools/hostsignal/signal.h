// Test signals, level measurement, WAV files and raw sample dumps shared by the project's test hosts
// (VST3 and VST2), so that both formats process and compare the same audio.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hostsignal {

using Planar = std::vector<std::vector<double>>;  // channels x frames

// A test signal with something for every band: a 1 kHz tone whose level steps through -40, -20,
// -6 and -30 dBFS, and a 220 Hz tone at half that level on the right channel.
Planar TestSignal(int channels, int rate, double seconds);

struct SignalStats {
  double peak = 0.0;
  double rms = 0.0;
};
SignalStats Measure(const std::vector<double>& x);
double ToDb(double v);

// A WAV file's sample format: integer PCM of 8, 16, 24 or 32 bits, or float of 32 or 64 bits.
struct WavFormat {
  bool isFloat = true;
  int bits = 32;
};

// WAV files of any rate and channel count, PCM or float as above, plain or WAVE_FORMAT_EXTENSIBLE;
// samples as doubles (integer PCM scaled to -1..1). Channels planar. A data chunk that claims more
// bytes than the file holds (a recording cut short) gives the whole frames there are.
bool ParseWav(const uint8_t* data, size_t size, Planar& channels, int* rate, WavFormat* format);
bool ReadWav(const std::string& path, Planar& channels, int* rate, WavFormat* format = nullptr);
// Writes the samples in the given format (integer PCM rounded and held to its range).
bool WriteWav(const std::string& path, const Planar& channels, int rate,
              const WavFormat& format = WavFormat());
// Reads a format name: pcm8, pcm16, pcm24, pcm32, float32 or float64.
bool ParseWavFormat(const std::string& name, WavFormat* format);
// The hosts' --out-format option: reads the name into format and marks it given; false (with a
// message on stderr) for an unknown name.
bool TakeOutFormatOption(const char* name, WavFormat* format, bool* given);

// The signal a host renders: the WAV file `in` (at most its first two channels; its rate into
// *rate, its count into *channels, its format into *format unless format is null) or, with no
// file named, TestSignal(*channels, *rate, seconds). False, with the reason on stderr, when the
// file cannot be read or gives no usable rate.
bool HostInputSignal(const std::string& in, double seconds, double* rate, int* channels,
                     WavFormat* format, Planar* signal);

bool WriteBytes(const std::string& path, const void* data, size_t size);
bool ReadBytes(const std::string& path, std::vector<uint8_t>& out);
// Compares samples with a dump of raw little-endian doubles written by another run and prints the
// outcome: within the relative tolerance, or, with tolerance 0, bit for bit.
bool CompareWithDump(const std::string& path, const std::vector<double>& samples, double tolerance);

// A path as the Windows build is given it: a Unix path becomes a path on Wine's Z: drive.
std::wstring WindowsPath(const std::string& path);

}  // namespace hostsignal
