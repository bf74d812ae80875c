// qhost: the project's VST3 test host. Loads QuibelOmbrelux from its bundle like a host, renders a
// WAV file (or a built-in test signal) through it with the given parameter values and prints the
// input and output peak and RMS and the gain change.
//
//   qhost [--bundle DIR] [--in FILE.wav] [--out FILE.wav] [--out-format F] [--rate HZ] [--block N] [--seconds S]
//         [--double] [--mono] [--param INDEX=VALUE ...] [--bypass] [--info]
//         [--dump FILE] [--state-out FILE] [--compare FILE] [--compare-state FILE] [--probe]
//         [--screenshot FILE.png] [--editor-ticks N] [--editor-ms MS] [--time N]
//
// --screenshot opens the plug-in's editor in a host window after the signal has been rendered, keeps
// the signal running through the plug-in in real time on an audio thread while the window's message
// loop runs for N editor timer ticks (default 25) or MS milliseconds, and then writes the editor as
// the screen shows it to a PNG file.
//
// --dump writes the output as raw little-endian doubles (channel after channel) and --state-out the
// plug-in's saved state; --compare and --compare-state check this run's output (within 1e-12
// relative) and state (byte for byte) against such files, so two builds can be compared. --probe
// prints the module's answers to a hostile host's questions instead (tools/vst3host/probe.cpp).
//
// --time N renders the signal N more times after the first, with separate input and output buffers
// laid out beforehand as a host keeps them, timing only the process calls, and prints the fastest
// pass in wall-clock nanoseconds per frame (to set against bench_engine's figures for the engine
// alone on the same signal).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tools/vst3host/editorwin.h"
#include "tools/vst3host/host.h"
#include "tools/vst3host/probe.h"

using namespace vst3host;
using namespace hostsignal;

namespace {
std::string Narrow(const char16* s) {
  std::string out;
  for (int i = 0; i < 128 && s[i]; ++i) out += static_cast<char>(s[i] & 0xFF);
  return out;
}

void PrintInfo(IPluginFactory* factory, IEditController* controller) {
  PFactoryInfo fi;
  factory->getFactoryInfo(&fi);
  std::printf("factory: vendor \"%s\", flags %d, %d class(es)\n", fi.vendor, fi.flags,
              factory->countClasses());
  IPluginFactory2* f2 = QueryTo<IPluginFactory2>(factory);
  if (f2) {
    PClassInfo2 ci;
    if (f2->getClassInfo2(0, &ci) == kResultOk) {
      std::printf("class: \"%s\" category \"%s\" sub \"%s\" version \"%s\" sdk \"%s\"\n", ci.name,
                  ci.category, ci.subCategories, ci.version, ci.sdkVersion);
    }
    f2->release();
  }
  for (int32 i = 0; i < controller->getParameterCount(); ++i) {
    ParameterInfo pi;
    if (controller->getParameterInfo(i, pi) != kResultOk) continue;
    String128 text;
    controller->getParamStringByValue(pi.id, pi.defaultNormalizedValue, text);
    std::printf("param %2d id 0x%08X \"%s\" [%s] default %.4f (%s) steps %d flags 0x%X\n", i,
                static_cast<unsigned>(pi.id), Narrow(pi.title).c_str(), Narrow(pi.units).c_str(),
                pi.defaultNormalizedValue, Narrow(text).c_str(), pi.stepCount, pi.flags);
  }
}
// Keeps the signal playing through the plug-in, block after block at the pace of real time, until
// stopped.
class AudioThread {
 public:
  AudioThread(Instance& fx, const std::vector<std::vector<double>>& signal, double rate, int block,
              int32 sampleSize)
      : mFx(fx), mSignal(signal), mRate(rate), mBlock(block), mSampleSize(sampleSize) {
    mThread = std::thread([this] { Loop(); });
  }
  ~AudioThread() {
    mStop = true;
    mThread.join();
  }
  long long Blocks() const { return mBlocks; }

 private:
  void Loop() {
    const int channels = static_cast<int>(mSignal.size());
    const size_t frames = mSignal[0].size();
    std::vector<std::vector<float>> f(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(mBlock)));
    std::vector<std::vector<double>> d(static_cast<size_t>(channels), std::vector<double>(static_cast<size_t>(mBlock)));
    std::vector<void*> ptrs(static_cast<size_t>(channels));
    size_t at = 0;
    auto next = std::chrono::steady_clock::now();
    const auto period = std::chrono::duration<double>(mBlock / mRate);
    while (!mStop) {
      for (int c = 0; c < channels; ++c) {
        for (int i = 0; i < mBlock; ++i) {
          const double v = mSignal[static_cast<size_t>(c)][(at + static_cast<size_t>(i)) % frames];
          f[c][i] = static_cast<float>(v);
          d[c][i] = v;
        }
        ptrs[c] = mSampleSize == kSample32 ? static_cast<void*>(f[c].data()) : static_cast<void*>(d[c].data());
      }
      mFx.Process(mSampleSize, ptrs.data(), ptrs.data(), channels, mBlock);
      ++mBlocks;
      at = (at + static_cast<size_t>(mBlock)) % frames;
      next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
      std::this_thread::sleep_until(next);
    }
  }

  Instance& mFx;
  const std::vector<std::vector<double>>& mSignal;
  double mRate;
  int mBlock;
  int32 mSampleSize;
  std::atomic<bool> mStop{false};
  std::atomic<long long> mBlocks{0};
  std::thread mThread;
};

// Opens the editor, runs it with the audio going and writes what the screen shows to a PNG file.
int ShowEditor(Instance& fx, const std::vector<std::vector<double>>& signal, double rate, int block,
               int32 sampleSize, int ticks, int ms, const std::string& path) {
  EditorHost editor;
  const std::string err = editor.Open(fx.controller, 40, 40);
  if (!err.empty()) {
    std::fprintf(stderr, "editor: %s\n", err.c_str());
    return 1;
  }
  Capture capture;
  long long blocks = 0;
  {
    AudioThread audio(fx, signal, rate, block, sampleSize);
    editor.Run(ms, ms > 0 ? 0 : ticks);
    blocks = audio.Blocks();
  }
  // One more tick after the audio stopped, so the picture shows one consistent state.
  editor.Run(0, 2);
  const bool captured = editor.CaptureEditor(capture);
  editor.Close();
  if (!captured || !WritePngFile(path, capture)) {
    std::fprintf(stderr, "editor: cannot write the screenshot %s\n", path.c_str());
    return 1;
  }
  std::printf("editor: %dx%d, %d timer ticks, %lld blocks of audio meanwhile; screenshot %s\n",
              capture.width, capture.height, editor.ticks, blocks, path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string bundle = QO_DEFAULT_BUNDLE, in, out, dump, stateOut, compare, compareState, screenshot;
  // The output file takes the input file's sample format unless --out-format says otherwise.
  hostsignal::WavFormat outFormat;
  bool outFormatGiven = false;
  int editorTicks = 25, editorMs = 0, timePasses = 0;
  double rate = 44100.0, seconds = 2.0;
  int block = 512, channels = 2;
  int32 sampleSize = kSample32;
  bool info = false, bypass = false, probe = false;
  std::vector<std::pair<int, double>> params;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
    if (a == "--bundle") bundle = next();
    else if (a == "--in") in = next();
    else if (a == "--out") out = next();
    else if (a == "--out-format") {
      if (!hostsignal::TakeOutFormatOption(next(), &outFormat, &outFormatGiven)) return 2;
    }
    else if (a == "--rate") rate = std::atof(next());
    else if (a == "--block") block = std::atoi(next());
    else if (a == "--seconds") seconds = std::atof(next());
    else if (a == "--double") sampleSize = kSample64;
    else if (a == "--mono") channels = 1;
    else if (a == "--bypass") bypass = true;
    else if (a == "--info") info = true;
    else if (a == "--probe") probe = true;
    else if (a == "--dump") dump = next();
    else if (a == "--state-out") stateOut = next();
    else if (a == "--compare") compare = next();
    else if (a == "--compare-state") compareState = next();
    else if (a == "--screenshot") screenshot = next();
    else if (a == "--editor-ticks") editorTicks = std::atoi(next());
    else if (a == "--editor-ms") editorMs = std::atoi(next());
    else if (a == "--time") timePasses = std::atoi(next());
    else if (a == "--param") {
      const char* s = next();
      const char* eq = std::strchr(s, '=');
      if (!eq) { std::fprintf(stderr, "--param wants INDEX=VALUE\n"); return 2; }
      params.emplace_back(std::atoi(s), std::atof(eq + 1));
    } else {
      std::fprintf(stderr, "unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  if (block < 1 || !(rate > 0.0) || !(seconds > 0.0)) {
    std::fprintf(stderr, "bad block, rate or length\n");
    return 2;
  }

  std::vector<std::vector<double>> signal;
  if (!HostInputSignal(in, seconds, &rate, &channels, outFormatGiven ? nullptr : &outFormat, &signal)) {
    return 1;
  }

  Module module;
  std::string err = module.Load(ModuleFileInBundle(bundle));
  if (!err.empty()) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  if (probe) {
    const int result = RunProbes(module.Factory());
    module.Unload();
    return result;
  }
  int status = 0;
  {
    Instance fx;
    err = fx.Create(module.Factory());
    if (!err.empty()) {
      std::fprintf(stderr, "%s\n", err.c_str());
      return 1;
    }
    if (info) PrintInfo(module.Factory(), fx.controller);
    if (fx.Prepare(rate, block, sampleSize, channels) != kResultOk) {
      std::fprintf(stderr, "the plug-in refused the set-up\n");
      return 1;
    }
    ParameterChanges changes;
    for (const auto& p : params) {
      changes.Add(static_cast<ParamID>(p.first), 0, Normalized(fx.controller, static_cast<ParamID>(p.first), p.second));
    }
    if (bypass) changes.Add('bpas', 0, 1.0);
    std::vector<std::vector<double>> io = signal;
    fx.Render(io, block, sampleSize, &changes);
    std::printf("QuibelOmbrelux via VST3 (%s), %.0f Hz, %d-bit, %d channel(s), blocks of %d, %.2f s\n",
                bundle.c_str(), rate, sampleSize == kSample32 ? 32 : 64, channels, block,
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
    const std::vector<uint8_t> state = fx.GetState();
    std::printf("state: %zu bytes\n", state.size());
    std::vector<double> flat;
    for (const auto& ch : io) flat.insert(flat.end(), ch.begin(), ch.end());
    if (!dump.empty() && !WriteBytes(dump, flat.data(), flat.size() * sizeof(double))) status = 1;
    if (!stateOut.empty() && !WriteBytes(stateOut, state.data(), state.size())) status = 1;
    if (!compare.empty() && !CompareWithDump(compare, flat, 1e-12)) status = 1;
    if (!compareState.empty()) {
      std::vector<uint8_t> ref;
      const bool same = ReadBytes(compareState, ref) && ref == state;
      std::printf("compare: state %s\n", same ? "identical" : "DIFFERS");
      if (!same) status = 1;
    }
    if (!out.empty() && !WriteWav(out, io, static_cast<int>(rate), outFormat)) {
      std::fprintf(stderr, "cannot write %s\n", out.c_str());
      status = 1;
    }
    if (timePasses > 0) {
      const double ns = fx.TimeRender(signal, block, sampleSize, timePasses);
      std::printf("time: fastest of %d passes: %.1f ns per frame (%.1f x real time)\n", timePasses, ns,
                  1e9 / (ns * rate));
    }
    if (!screenshot.empty() &&
        ShowEditor(fx, signal, rate, block, sampleSize, editorTicks > 0 ? editorTicks : 1, editorMs,
                   screenshot) != 0) {
      status = 1;
    }
  }
  module.Unload();
  return status;
}
