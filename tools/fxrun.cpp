// Runs a generated test signal through the plug-in framework's host-block road (single precision,
// blocks longer than the set-up block size, as a host may send them) on a pass-through plug-in object,
// and prints the input and output peak and RMS and the size of its saved state.
#include <cmath>
#include <cstdio>
#include <vector>

#include "fx/ifxbase.h"

namespace {
constexpr double kPi = 3.14159265358979323846;

class PassThrough : public IFxBase {
 public:
  PassThrough()
      : IFxBase(1, "1-1 2-2", 1, "QuibelOmbrelux", "", "Quibel", 0x10001, 'OmLx', 'Qbel', 0,
                false, false, false, kFormatVst3) {
    GetParam(0)->InitContinuous("Gain", 0.0, -48.0, 0.0, 0.1, "dB");
  }
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void NotifyHostPresetChanged() override {}
  int HostSamplePosition() override { return 0; }
  double HostTempo() override { return 120.0; }
  void HostTimeSignature(int* n, int* d) override { *n = 4, *d = 4; }
  void FillHostTimeInfo(ITransportInfo*) override {}
  void ResizeEditor(int, int) override {}
  bool SendMidiToHost(const IMidiEvent*) override { return false; }
};

void Measure(const std::vector<float>& x, double* peak, double* rms) {
  double p = 0.0, s = 0.0;
  for (float v : x) {
    p = std::fmax(p, std::fabs(v));
    s += static_cast<double>(v) * v;
  }
  *peak = p;
  *rms = x.empty() ? 0.0 : std::sqrt(s / static_cast<double>(x.size()));
}

double Db(double v) { return v > 0.0 ? 20.0 * std::log10(v) : -INFINITY; }
}  // namespace

int main() {
  const int rate = 44100, frames = rate, block = 1000;
  PassThrough fx;
  if (!fx.ConstructedWhole()) return 1;
  fx.ChangeBlockSize(256);
  fx.MarkInputPinsActive(0, 2, true);
  fx.MarkOutputPinsActive(0, 2, true);

  std::vector<float> inL(frames), inR(frames), outL(frames), outR(frames);
  for (int i = 0; i < frames; ++i) {
    inL[i] = static_cast<float>(0.5 * std::sin(2.0 * kPi * 1000.0 * i / rate));
    inR[i] = static_cast<float>(0.25 * std::sin(2.0 * kPi * 440.0 * i / rate));
  }
  for (int at = 0; at < frames; at += block) {
    const int n = frames - at < block ? frames - at : block;
    float* in[2] = {inL.data() + at, inR.data() + at};
    float* out[2] = {outL.data() + at, outR.data() + at};
    fx.ProcessHostBlockFloat(in, out, n);
  }
  double ip, ir, op, orr;
  Measure(inL, &ip, &ir);
  Measure(outL, &op, &orr);
  std::printf("left  in  peak %7.2f dBFS  rms %7.2f dBFS\n", Db(ip), Db(ir));
  std::printf("left  out peak %7.2f dBFS  rms %7.2f dBFS  change %+.2f dB\n", Db(op), Db(orr),
              Db(orr) - Db(ir));
  Measure(inR, &ip, &ir);
  Measure(outR, &op, &orr);
  std::printf("right in  peak %7.2f dBFS  rms %7.2f dBFS\n", Db(ip), Db(ir));
  std::printf("right out peak %7.2f dBFS  rms %7.2f dBFS  change %+.2f dB\n", Db(op), Db(orr),
              Db(orr) - Db(ir));
  StateBlob state;
  fx.WriteStateBlob(state);
  std::printf("state: %d bytes\n", state.Size());
  return 0;
}
