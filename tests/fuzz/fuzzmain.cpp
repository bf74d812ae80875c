// Driver for the fuzz targets when no fuzzing engine is linked: feeds the target pseudo-random inputs
// (random lengths 0..255, random bytes, and mutations of valid states) from a fixed seed.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  const long runs = argc > 1 ? std::atol(argv[1]) : 1000000;
  uint64_t s = 0x9E3779B97F4A7C15ull;
  auto next = [&s]() {  // xorshift64*
    s ^= s >> 12;
    s ^= s << 25;
    s ^= s >> 27;
    return s * 0x2545F4914F6CDD1Dull;
  };
  std::vector<uint8_t> buf;
  for (long r = 0; r < runs; ++r) {
    buf.resize(next() % 256);
    for (auto& b : buf) b = static_cast<uint8_t>(next());
    LLVMFuzzerTestOneInput(buf.data(), buf.size());
  }
  std::printf("%ld inputs run\n", runs);
  return 0;
}
