// UTF-8 reading for the text drawing. Text arrives as bytes with a length; a negative length means
// "up to the terminating NUL". The reader never looks at a byte at or beyond the given length: a
// multi-byte sequence is decoded only when all its bytes lie within what is left, otherwise its lead
// byte stands for itself. Reading stops at a NUL byte or when the length runs out.
#pragma once

#include <cstdint>

// Decodes one character at p. remaining is the number of bytes that may be read (negative: the
// text is NUL-terminated, and the decoding stops at the first byte that does not continue the
// sequence, so the NUL is never passed). *used receives the bytes taken (1 to 4). Codes:
//   below 0xC2             the byte itself (0x80-0xC1 stand for 0x80-0xC1; 0xC0 is no lead)
//   0xC2-0xDF + 1 cont.    ((b0 & 0x1F) << 6) | (b1 & 0x3F)
//   0xE0-0xEF + 2 cont.    ((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F)
//   0xF0-0xF4 + 3 cont.    0x20 (characters beyond 16 bits draw as a space)
//   anything else          the byte itself
// A continuation byte is 0x80-0xC0 here. p must point at a readable byte (remaining != 0).
int PIX_Utf8Decode(const uint8_t* p, int remaining, int* used);

// Walks a text one character at a time.
struct PIX_Utf8Reader {
  const uint8_t* p;
  int remaining;  // bytes left; negative: up to the NUL

  PIX_Utf8Reader(const char* text, int length)
      : p(reinterpret_cast<const uint8_t*>(text)), remaining(text ? length : 0) {}
  // The next character's code; false at the end (length used up or a NUL byte).
  bool Next(int* code) {
    if (remaining == 0 || *p == 0) return false;
    int used = 1;
    *code = PIX_Utf8Decode(p, remaining, &used);
    p += used;
    if (remaining > 0) remaining -= used;
    return true;
  }
};

// True when the text holds a multi-byte sequence that looks valid: a byte 0xC2-0xDF followed by a
// byte 0x80-0xBF, or a byte 0xC2-0xF4 followed by two bytes 0x80-0xBF, all within the length (a
// negative length scans up to the NUL). Decides whether the system text path converts to UTF-16.
bool PIX_Utf8HasMultiByte(const char* text, int length);
