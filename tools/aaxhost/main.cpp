// qaaxhost: the project's AAX test host. Loads QuibelOmbrelux.aaxplugin like an AAX host (on the
// fake host objects), renders a WAV file or the built-in test signal through it and prints the input
// and output peak and RMS and the gain change. The output file takes the input file's sample format.
//
//   qaaxhost [--bundle DIR] [--in FILE.wav] [--out FILE.wav] [--rate HZ] [--block N] [--seconds S]
//            [--mono] [--param ID=NORMALISED ...] [--bypass] [--dump FILE] [--compare FILE]
//
// --param sets AAX parameter ID ("1".."9") to a normalised value as the host's automation does;
// --dump writes the output as raw little-endian doubles, --compare checks it bit for bit against
// such a file (for example one written by the VST3 test host).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tools/aaxhost/aaxhost.h"
#include "tools/hostsignal/signal.h"

using namespace aaxhost;
using namespace hostsignal;

int main(int argc, char** argv) {
  std::string bundle = QO_DEFAULT_AAX_BUNDLE, in, out, dump, compare;
  double rate = 48000.0, seconds = 2.0;
  int block = 512, channels = 2;
  bool bypass = false;
  std::vector<std::pair<std::string, double>> params;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool more = i + 1 < argc;
    if (a == "--bundle" && more) bundle = argv[++i];
    else if (a == "--in" && more) in = argv[++i];
    else if (a == "--out" && more) out = argv[++i];
    else if (a == "--rate" && more) rate = std::atof(argv[++i]);
    else if (a == "--block" && more) block = std::atoi(argv[++i]);
    else if (a == "--seconds" && more) seconds = std::atof(argv[++i]);
    else if (a == "--dump" && more) dump = argv[++i];
    else if (a == "--compare" && more) compare = argv[++i];
    else if (a == "--mono") channels = 1;
    else if (a == "--bypass") bypass = true;
    else if (a == "--param" && more) {
      const std::string p = argv[++i];
      const size_t eq = p.find('=');
      if (eq == std::string::npos) {
        std::fprintf(stderr, "--param takes ID=NORMALISED\n");
        return 2;
      }
      params.emplace_back(p.substr(0, eq), std::atof(p.c_str() + eq + 1));
    } else {
      std::fprintf(stderr, "unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (block < 1 || !(rate > 0.0) || !(seconds > 0.0)) {
    std::fprintf(stderr, "block, rate and seconds must be positive\n");
    return 2;
  }
  Planar signal;
  WavFormat outFormat;  // the input file's format, else 32-bit float
  if (!HostInputSignal(in, seconds, &rate, &channels, &outFormat, &signal)) return 1;

  int status = 0;
  Host host;
  host.fake.controller->sampleRate = static_cast<float>(rate);
  host.fake.controller->inputStem = host.fake.controller->outputStem = channels == 1 ? 0x00000001 : 0x00010002;
  const std::string path = ModuleFileInBundle(bundle);
  const std::string started = host.Start(path);
  if (!started.empty()) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), started.c_str());
    return 1;
  }
  {
    Effect fx(&host);
    const std::string made = fx.Create();
    if (!made.empty()) {
      std::fprintf(stderr, "%s\n", made.c_str());
      return 1;
    }
    if (bypass) params.emplace_back("", 1.0);
    for (const auto& p : params) {
      const AAX_Result r = fx.params->UpdateParameterNormalizedValue(p.first.c_str(), p.second, 0);
      if (r != kAAXOk) {
        std::fprintf(stderr, "parameter \"%s\" refused %g (%d)\n", p.first.c_str(), p.second, r);
        status = 1;
      }
    }
    Planar io = signal;
    host.RenderSignal(&fx, io, block);
    std::printf("QuibelOmbrelux via AAX (%s), %.0f Hz, %d channel(s), blocks of %d, %.2f s\n", path.c_str(),
                rate, channels, block, static_cast<double>(signal[0].size()) / rate);
    for (int c = 0; c < channels; ++c) {
      const SignalStats a = Measure(signal[static_cast<size_t>(c)]);
      const SignalStats b = Measure(io[static_cast<size_t>(c)]);
      std::printf("%s  in: peak %7.2f dBFS rms %7.2f dBFS   out: peak %7.2f dBFS rms %7.2f dBFS   gain change %+6.2f dB\n",
                  c == 0 ? "left " : "right", ToDb(a.peak), ToDb(a.rms), ToDb(b.peak), ToDb(b.rms),
                  ToDb(b.rms) - ToDb(a.rms));
      for (double v : io[static_cast<size_t>(c)]) {
        if (!std::isfinite(v)) status = 1;
      }
    }
    if (!host.fake.CallsTo("midi").empty()) {
      std::fprintf(stderr, "the module called the MIDI node\n");
      status = 1;
    }
    std::vector<double> flat;
    for (const auto& ch : io) flat.insert(flat.end(), ch.begin(), ch.end());
    if (!dump.empty() && !WriteBytes(dump, flat.data(), flat.size() * sizeof(double))) status = 1;
    if (!compare.empty() && !CompareWithDump(compare, flat, 0.0)) status = 1;
    if (!out.empty() && !WriteWav(out, io, static_cast<int>(rate), outFormat)) {
      std::fprintf(stderr, "cannot write %s\n", out.c_str());
      status = 1;
    }
  }
  const ACFResult unload = host.module.Entry().canUnloadNow(host.fake.unknown->Unknown());
  host.Stop();
  if (unload != 0) {
    std::fprintf(stderr, "ACFCanUnloadNow answered %d after teardown\n", unload);
    status = 1;
  }
  return status;
}
