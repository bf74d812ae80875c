// Fuzz target for the state reader: arbitrary bytes as a saved state, read at a position taken from
// the first byte. Whatever the bytes, every parameter must end inside its range and not be NaN, and
// the reader's result must be -1 or a position inside the data.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "tests/fx/testplugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fxtest::TestPlugin* fx = new fxtest::TestPlugin();
  fx->paramChanges.clear();
  fx->events.clear();
  if (size == 0) {
    StateBlob empty;
    if (fx->ReadStateBlob(empty, 0) != -1) std::abort();
    return 0;
  }
  const int startPos = static_cast<int8_t>(data[0]);  // -128..127, negatives included
  StateBlob blob;
  if (!blob.AppendBytes(data + 1, static_cast<int>(size - 1))) std::abort();
  const int end = fx->ReadStateBlob(blob, startPos);
  if (end != -1 && end != startPos && (end < 0 || end > blob.Size())) std::abort();
  for (int i = 0; i < fx->ParamCount(); ++i) {
    const IFxSetting* p = fx->GetParam(i);
    if (std::isnan(p->Value()) || p->Value() < p->Lowest() || p->Value() > p->Highest()) std::abort();
  }
  fx->StateBlobMatches(blob.Data(), blob.Size(), startPos < 0 ? 0 : startPos / 8);
  return 0;
}
