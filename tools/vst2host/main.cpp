// qhost2: the project's VST2 test host. Loads QuibelOmbrelux.dll like a host, renders a WAV file (or
// the same built-in test signal as the VST3 host) through it with the given parameter values and
// prints the input and output peak and RMS and the gain change.
//
//   qhost2 [--module FILE] [--in FILE.wav] [--out FILE.wav] [--out-format F] [--rate HZ] [--block N] [--seconds S]
//          [--double] [--param INDEX=VALUE ...] [--info] [--dump FILE] [--compare FILE]
//
// --param sets a value in display units through effString2Parameter. --dump writes the output as
// raw little-endian doubles (channel after channel); --compare checks this run's output bit for bit
// against such a file (for instance one the VST3 host wrote with the same settings).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/vst2host/host.h"

using namespace vst2host;
using namespace hostsignal;

namespace {
void PrintInfo(Instance& fx) {
  const AEffect* e = fx.effect;
  std::printf("record: magic 0x%08X, %d program(s), %d parameters, %d in, %d out, flags 0x%X, "
              "unique id 0x%08X, version %d\n",
              static_cast<unsigned>(e->magic), e->numPrograms, e->numParams, e->numInputs,
              e->numOutputs, static_cast<unsigned>(e->flags), static_cast<unsigned>(e->uniqueID),
              e->version);
  char name[64] = {}, vendor[64] = {};
  fx.Dispatch(effGetEffectName, 0, 0, name);
  fx.Dispatch(effGetVendorString, 0, 0, vendor);
  std::printf("effect \"%s\", vendor \"%s\"\n", name, vendor);
  for (int i = 0; i < e->numParams; ++i) {
    std::printf("param %2d \"%s\" [%s] %s (normalised %.6f)\n", i, fx.Text(effGetParamName, i).c_str(),
                fx.Text(effGetParamLabel, i).c_str(), fx.Text(effGetParamDisplay, i).c_str(),
                static_cast<double>(fx.GetParameter(i)));
  }
}
}  // namespace

int main(int argc, char** argv) {
  std::string path = QO_DEFAULT_MODULE, in, out, dump, compare;
  // The output file takes the input file's sample format unless --out-format says otherwise.
  hostsignal::WavFormat outFormat;
  bool outFormatGiven = false;
  double rate = 44100.0, seconds = 2.0;
  int block = 512;
  bool doublePrecision = false, info = false;
  std::vector<std::pair<int, std::string>> params;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--module") path = next();
    else if (a == "--in") in = next();
    else if (a == "--out") out = next();
    else if (a == "--out-format") {
      if (!hostsignal::TakeOutFormatOption(next(), &outFormat, &outFormatGiven)) return 2;
    }
    else if (a == "--rate") rate = std::atof(next());
    else if (a == "--block") block = std::atoi(next());
    else if (a == "--seconds") seconds = std::atof(next());
    else if (a == "--double") doublePrecision = true;
    else if (a == "--info") info = true;
    else if (a == "--dump") dump = next();
    else if (a == "--compare") compare = next();
    else if (a == "--param") {
      const char* s = next();
      const char* eq = std::strchr(s, '=');
      if (!eq) { std::fprintf(stderr, "--param wants INDEX=VALUE\n"); return 2; }
      params.emplace_back(std::atoi(s), std::string(eq + 1));
    } else {
      std::fprintf(stderr, "unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (block < 1 || !(rate > 0.0) || !(seconds > 0.0)) {
    std::fprintf(stderr, "bad block, rate or length\n");
    return 2;
  }

  Planar signal;
  int channels = 2;
  if (!HostInputSignal(in, seconds, &rate, &channels, outFormatGiven ? nullptr : &outFormat, &signal)) {
    return 1;
  }
  // The effect has two inputs: a mono file feeds both.
  if (signal.size() == 1) signal.push_back(signal[0]);
  channels = 2;

  Module module;
  const std::string err = module.Load(path);
  if (!err.empty()) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  int status = 0;
  {
    Instance fx;
    if (!fx.Create(module.Entry("VSTPluginMain") ? module.Entry("VSTPluginMain") : module.Entry("main"))) {
      std::fprintf(stderr, "the module gave no effect record\n");
      return 1;
    }
    fx.Prepare(rate, block);
    for (const auto& p : params) {
      if (!fx.SetParameterText(p.first, p.second)) {
        std::fprintf(stderr, "parameter %d refused \"%s\"\n", p.first, p.second.c_str());
        status = 1;
      }
    }
    if (info) PrintInfo(fx);
    Planar io = signal;
    fx.Render(io, block, doublePrecision);
    std::printf("QuibelOmbrelux via VST2 (%s), %.0f Hz, %d-bit, %d channel(s), blocks of %d, %.2f s\n",
                path.c_str(), rate, doublePrecision ? 64 : 32, channels, block,
                static_cast<double>(signal[0].size()) / rate);
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
    std::printf("bank chunk: %zu bytes, preset chunk: %zu bytes\n", fx.GetChunk(0).size(),
                fx.GetChunk(1).size());
    std::vector<double> flat;
    for (const auto& ch : io) flat.insert(flat.end(), ch.begin(), ch.end());
    if (!dump.empty() && !WriteBytes(dump, flat.data(), flat.size() * sizeof(double))) status = 1;
    if (!compare.empty() && !CompareWithDump(compare, flat, 0.0)) status = 1;
    if (!out.empty() && !WriteWav(out, io, static_cast<int>(rate), outFormat)) {
      std::fprintf(stderr, "cannot write %s\n", out.c_str());
      status = 1;
    }
    fx.Close();
  }
  module.Unload();
  return status;
}
