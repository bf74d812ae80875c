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

// WAV files: reads 16-bit PCM and 32-bit float, writes 32-bit float. Channels planar.
bool ReadWav(const std::string& path, Planar& channels, int* rate);
bool WriteWav(const std::string& path, const Planar& channels, int rate);

bool WriteBytes(const std::string& path, const void* data, size_t size);
bool ReadBytes(const std::string& path, std::vector<uint8_t>& out);
// Compares samples with a dump of raw little-endian doubles written by another run and prints the
// outcome: within the relative tolerance, or, with tolerance 0, bit for bit.
bool CompareWithDump(const std::string& path, const std::vector<double>& samples, double tolerance);

// A path as the Windows build is given it: a Unix path becomes a path on Wine's Z: drive.
std::wstring WindowsPath(const std::string& path);

}  // namespace hostsignal
