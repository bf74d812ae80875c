// qhost --probe: puts the questions a hostile host asks to the module and prints every answer, one
// per line, in a form meant for comparing two modules (the x86 and the x86-64 one) line by line:
// repeated initialize, texts that are or are not numbers, value texts for values no parameter can
// hold, a state stream far longer than the state, and huge samples.
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/vst3host/probe.h"

namespace vst3host {
namespace {

std::string Printable(const std::u16string& s) {
  std::string r;
  char buf[12];
  for (char16_t c : s) {
    if (c >= 0x20 && c < 0x7F) {
      r += static_cast<char>(c);
    } else {
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      r += buf;
    }
  }
  return r;
}

std::string Narrow16(const char16* s) {
  std::string r;
  for (int i = 0; i < 128 && s[i]; ++i) r += static_cast<char>(s[i] & 0x7F);
  return r;
}

void ProbeInitialize(IPluginFactory* factory) {
  PClassInfo info;
  if (factory->getClassInfo(0, &info) != kResultOk) return;
  void* obj = nullptr;
  if (factory->createInstance(info.cid, IComponent::iid.bytes, &obj) != kResultOk || !obj) return;
  IComponent* component = static_cast<IComponent*>(obj);
  IEditController* controller = QueryTo<IEditController>(component);
  HostApplication host("QuibelTestHost");
  const tresult first = component->initialize(nullptr);
  const tresult second = component->initialize(&host);
  std::printf("initialize null %d, then host %d: %d parameters, %d+%d buses\n", first, second,
              controller ? controller->getParameterCount() : -1,
              component->getBusCount(kAudio, kInput), component->getBusCount(kAudio, kOutput));
  component->terminate();
  if (controller) controller->release();
  component->release();
}

void ProbeTexts(IEditController* c) {
  const std::u16string texts[] = {u"-19.0",  u" -19.0 dB ", u"250 ms", u"+2.5e1", u"50%",
                                  u"\u4E39\u4E39\u4E39", u"9\u0139", u"7abc", u"0x1p4",
                                  u"1,5", u"nan", u"inf", u"1e999", u"", u"5 ms dB"};
  for (ParamID id = 0; id < 9; ++id) {
    for (const std::u16string& t : texts) {
      String128 units{};
      for (size_t i = 0; i < t.size() && i < 127; ++i) units[i] = t[i];
      ParamValue n = -5.0;
      const tresult r = c->getParamValueByString(id, units, n);
      std::printf("text %u \"%s\": %d %.12g\n", static_cast<unsigned>(id), Printable(t).c_str(), r, n);
    }
  }
}

void ProbeValueTexts(IEditController* c) {
  const double values[] = {0.0, 0.5, 1.0, 2.0, -1.0, INFINITY, -INFINITY, NAN, 1e300, -0.0};
  for (ParamID id = 0; id < 9; ++id) {
    for (double v : values) {
      String128 s{};
      s[0] = '-';
      const tresult r = c->getParamStringByValue(id, v, s);
      std::printf("value text %u %g: %d \"%s\"\n", static_cast<unsigned>(id), v, r, Narrow16(s).c_str());
    }
  }
}

void ProbeState(Instance& inst) {
  std::vector<uint8_t> state = inst.GetState();
  if (state.size() >= 76) state[72] = 1;
  LongStream s(state, int64_t{1} << 33);
  const tresult r = inst.component->setState(&s);
  std::printf("state from an 8 GiB stream: %d, %lld bytes read, bypass %.1f\n", r,
              static_cast<long long>(s.delivered), inst.controller->getParamNormalized('bpas'));
  std::printf("empty state: %d\n", inst.SetState({}));
  state[72] = 0;
  std::printf("state restored: %d\n", inst.SetState(state));
}

void ProbeHugeSamples(IPluginFactory* factory) {
  for (double rate : {44100.0, 96000.0, 192000.0}) {
    for (int32 size : {kSample32, kSample64}) {
      Instance inst;
      if (!inst.Create(factory).empty() || inst.Prepare(rate, 256, size) != kResultOk) continue;
      std::vector<std::vector<double>> io(2, std::vector<double>(1024));
      for (size_t i = 0; i < 1024; ++i) {
        io[0][i] = 0.3 * std::sin(0.05 * static_cast<double>(i));
        io[1][i] = 0.2 * std::cos(0.03 * static_cast<double>(i));
      }
      const double huge = size == kSample32 ? FLT_MAX : DBL_MAX;
      io[0][300] = huge;
      io[1][301] = -huge;
      inst.Render(io, 256, size);
      bool finite = true;
      double peak = 0.0;
      for (const auto& ch : io) {
        for (double v : ch) {
          finite = finite && std::isfinite(v);
          if (std::fabs(v) > peak) peak = std::fabs(v);
        }
      }
      std::printf("huge samples at %.0f Hz, %d-bit: output %s, peak %.3e\n", rate,
                  size == kSample32 ? 32 : 64, finite ? "finite" : "NOT FINITE", peak);
    }
  }
}

}  // namespace

int RunProbes(IPluginFactory* factory) {
  ProbeInitialize(factory);
  Instance inst;
  const std::string err = inst.Create(factory);
  if (!err.empty()) {
    std::fprintf(stderr, "%s\n", err.c_str());
    return 1;
  }
  ProbeTexts(inst.controller);
  ProbeValueTexts(inst.controller);
  ProbeState(inst);
  ProbeHugeSamples(factory);
  return 0;
}

}  // namespace vst3host
