// Fuzz target for the VST2 chunk reader: arbitrary bytes as a preset chunk, as a bank after a valid
// header, and as changes to a valid bank (bytes replaced, the chunk cut short). Whatever the bytes,
// effSetChunk answers 0 or 1, every parameter stays inside its range and is not NaN, and the bank the
// plug-in writes afterwards reads back whole and unchanged.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/vst2host/host.h"

namespace {
vst2host::Instance* MakeInstance() {
  static vst2host::Module module;
  module.Load("");
  auto* fx = new vst2host::Instance();
  if (!fx->Create(module.Entry("VSTPluginMain"))) std::abort();
  fx->Prepare(44100.0, 64);
  return fx;
}

void Check(vst2host::Instance& fx) {
  for (int i = 0; i < fx.effect->numParams; ++i) {
    const float n = fx.GetParameter(i);
    if (std::isnan(n) || n < 0.0f || n > 1.0f) std::abort();
  }
  char name[64];
  fx.Dispatch(effGetProgramName, 0, 0, name);
  int len = 0;
  while (len < 64 && name[len]) ++len;
  if (len > 24) std::abort();
  const std::vector<uint8_t> bank = fx.GetChunk(0);
  if (bank.size() < 8) std::abort();
  if (fx.SetChunk(0, bank) != 1) std::abort();
  if (fx.GetChunk(0) != bank) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vst2host::Instance* fx = MakeInstance();
  static const std::vector<uint8_t> validBank = fx->GetChunk(0);
  if (size == 0) {
    if (fx->SetChunk(1, {}) != 0) std::abort();
    return 0;
  }
  const uint8_t mode = data[0] % 4;
  std::vector<uint8_t> payload(data + 1, data + size);
  std::vector<uint8_t> chunk;
  int index = 0;
  switch (mode) {
    case 0:
      index = 1;
      chunk = payload;
      break;
    case 1:
      chunk = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
      chunk.insert(chunk.end(), payload.begin(), payload.end());
      break;
    default:
      chunk = validBank;
      for (size_t i = 0; i + 1 < payload.size(); i += 2) chunk[payload[i] % chunk.size()] = payload[i + 1];
      if (mode == 3 && !payload.empty()) chunk.resize(payload[0] % chunk.size());
      break;
  }
  const VstIntPtr r = fx->SetChunk(index, chunk);
  if (r != 0 && r != 1) std::abort();
  Check(*fx);
  return 0;
}
