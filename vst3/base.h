// Basic VST3 types, result codes, interface identifiers and FUnknown, declared to match the binary
// interface that VST3 hosts use on Windows (x86-64 and x86).
#pragma once

#include <cstdint>
#include <cstring>

// Every interface method uses __stdcall on 32-bit Windows; the attribute is ignored on x86-64 and
// left out elsewhere (the native test build).
#if defined(_WIN32) && defined(__i386__)
#define PLUGIN_API __stdcall
#else
#define PLUGIN_API
#endif

namespace Steinberg {

typedef char int8;
typedef uint8_t uint8;
typedef int16_t int16;
typedef uint16_t uint16;
typedef int32_t int32;
typedef uint32_t uint32;
typedef int64_t int64;
typedef uint64_t uint64;
typedef uint8 TBool;
typedef int32 tresult;
typedef int64 TSize;
typedef char char8;
typedef char16_t char16;
typedef char16 TChar;
typedef TChar String128[128];
typedef const char8* FIDString;
typedef const char8* CString;
typedef char TUID[16];
typedef int32 UCoord;

enum : int32 {
  kResultOk = 0,
  kResultTrue = 0,
  kResultFalse = 1,
  kNoInterface = static_cast<int32>(0x80004002),
  kInvalidArgument = static_cast<int32>(0x80070057),
  kNotImplemented = static_cast<int32>(0x80004001),
  kInternalError = static_cast<int32>(0x80004005),
  kNotInitialized = static_cast<int32>(0x8000FFFF),
  kOutOfMemory = static_cast<int32>(0x8007000E),
};

// A 128-bit identifier as it lies in memory on Windows (COM GUID order).
struct IID16 {
  char bytes[16];
};

// Builds the identifier from its four published 32-bit words: word 1 little-endian, the two halves
// of word 2 each little-endian, words 3 and 4 big-endian.
constexpr IID16 MakeIID(uint32 w1, uint32 w2, uint32 w3, uint32 w4) {
  return IID16{{static_cast<char>(w1 & 0xFF), static_cast<char>((w1 >> 8) & 0xFF),
                static_cast<char>((w1 >> 16) & 0xFF), static_cast<char>(w1 >> 24),
                static_cast<char>((w2 >> 16) & 0xFF), static_cast<char>(w2 >> 24),
                static_cast<char>(w2 & 0xFF), static_cast<char>((w2 >> 8) & 0xFF),
                static_cast<char>(w3 >> 24), static_cast<char>((w3 >> 16) & 0xFF),
                static_cast<char>((w3 >> 8) & 0xFF), static_cast<char>(w3 & 0xFF),
                static_cast<char>(w4 >> 24), static_cast<char>((w4 >> 16) & 0xFF),
                static_cast<char>((w4 >> 8) & 0xFF), static_cast<char>(w4 & 0xFF)}};
}

inline bool SameIID(const char* a, const IID16& b) { return a && std::memcmp(a, b.bytes, 16) == 0; }

class FUnknown {
 public:
  virtual tresult PLUGIN_API queryInterface(const TUID iid, void** obj) = 0;
  virtual uint32 PLUGIN_API addRef() = 0;
  virtual uint32 PLUGIN_API release() = 0;
  static constexpr IID16 iid = MakeIID(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
};

// Asks obj for interface I; the result holds a reference (release it) or is null.
template <class I>
I* QueryTo(FUnknown* obj) {
  void* p = nullptr;
  if (!obj || obj->queryInterface(I::iid.bytes, &p) != kResultOk) return nullptr;
  return static_cast<I*>(p);
}

}  // namespace Steinberg
