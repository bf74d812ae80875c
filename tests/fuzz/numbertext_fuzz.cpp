// Fuzz target for the parameter text reader (a host types or sends these texts). Each input becomes
// a text over an alphabet rich in number characters, with one of the plug-in's unit texts; the
// reader's verdict and value are checked against an independent reading: a table-driven automaton
// of the accepted form and the C library's strtod (in the "C" locale) for the value. The same text
// goes through the UTF-16 narrowing, with some units pushed outside ASCII.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fx/numbertext.h"

namespace {

const char* const kUnits[] = {"", "dB", "ms", "%"};
const char kAlphabet[] = "0123456789+-.eE \t dBms%xXpPnaNifINF,;0123456789.e- 0123456789";

// Character classes of the automaton.
enum Cls { kBlank, kSign, kDigit, kPoint, kExp, kOther, kEnd };

Cls Classify(char c) {
  if (c == ' ' || c == '\t') return kBlank;
  if (c == '+' || c == '-') return kSign;
  if (c >= '0' && c <= '9') return kDigit;
  if (c == '.') return kPoint;
  if (c == 'e' || c == 'E') return kExp;
  if (c == '\0') return kEnd;
  return kOther;
}

// States: 0 leading blanks, 1 after sign, 2 integer digits, 3 after point, 4 fraction digits,
// 5 after e, 6 after exponent sign, 7 exponent digits, 8 trailing blanks (number done),
// 9 accept, -1 reject. The unit is matched separately where state 8 may take it.
const int kNext[9][7] = {
    //        blank sign digit point exp other end
    /* 0 */ {0, 1, 2, -1, -1, -1, -1},
    /* 1 */ {-1, -1, 2, -1, -1, -1, -1},
    /* 2 */ {8, -1, 2, 3, 5, -1, 9},
    /* 3 */ {-1, -1, 4, -1, -1, -1, -1},
    /* 4 */ {8, -1, 4, -1, 5, -1, 9},
    /* 5 */ {-1, 6, 7, -1, -1, -1, -1},
    /* 6 */ {-1, -1, 7, -1, -1, -1, -1},
    /* 7 */ {8, -1, 7, -1, -1, -1, 9},
    /* 8 */ {8, -1, -1, -1, -1, -1, 9},
};

// True when text has the accepted form; numberEnd gets the end of the number part.
bool Automaton(const std::string& text, const std::string& unit, size_t* numberEnd) {
  int state = 0;
  bool unitTaken = false;
  for (size_t i = 0; i <= text.size(); ++i) {
    const bool inNumber = state == 2 || state == 4 || state == 7;
    if ((inNumber || state == 8) && !unitTaken && !unit.empty() &&
        text.compare(i, unit.size(), unit) == 0) {
      if (inNumber) *numberEnd = i;
      state = 8;
      unitTaken = true;
      i += unit.size() - 1;
      continue;
    }
    const int next = kNext[state][Classify(i < text.size() ? text[i] : '\0')];
    if (inNumber && (next == 8 || next == 9)) *numberEnd = i;
    if (next < 0) return false;
    if (next == 9) return true;
    state = next;
  }
  return false;
}

// How many texts were read as numbers and how many narrowed, reported at exit (a run that never
// reaches the accepting side checks little).
long gAccepted = 0;
long gNarrowed = 0;
void Report() { std::printf("numbertext_fuzz: %ld texts read as numbers, %ld narrowed\n", gAccepted, gNarrowed); }

[[noreturn]] void Fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "numbertext_fuzz: %s for \"%s\"\n", what, text.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool reporting = std::atexit(Report) == 0;
  (void)reporting;
  if (size < 1) return 0;
  const std::string unit = kUnits[data[0] & 3];
  const bool wideUnits = (data[0] & 4) != 0;
  // Mostly short texts, where whole numbers are likely; now and then the whole input.
  const size_t lengthPick = (data[0] >> 3) % 32;
  const size_t last = lengthPick == 31 ? size : (size < lengthPick + 2 ? size : lengthPick + 2);
  std::string text;
  for (size_t i = 1; i < last; ++i) {
    const uint8_t b = data[i];
    if (b < 224) {
      text.push_back(kAlphabet[b % (sizeof kAlphabet - 1)]);
    } else if (b != 224) {
      text.push_back(static_cast<char>(b - 224 + 0x7C));  // '|' .. DEL and bytes above 127
    } else {
      break;  // a NUL ends the text
    }
  }

  size_t numberEnd = 0;
  bool expectOk = Automaton(text, unit, &numberEnd);
  double expect = 0.0;
  if (expectOk) {
    const std::string number = text.substr(0, numberEnd);
    errno = 0;
    char* end = nullptr;
    expect = std::strtod(number.c_str(), &end);
    bool nonZeroDigit = false;
    for (size_t i = 0; i < number.size() && number[i] != 'e' && number[i] != 'E'; ++i) {
      if (number[i] >= '1' && number[i] <= '9') nonZeroDigit = true;
    }
    // Out of the range of a double: too large, or so small that it rounds to zero.
    if (!std::isfinite(expect) || (expect == 0.0 && nonZeroDigit)) expectOk = false;
  }
  double got = 12345.0;
  const bool ok = ParseNumberText(text.c_str(), unit.c_str(), &got);
  if (ok != expectOk) Fail(ok ? "accepted" : "refused", text);
  if (ok && std::memcmp(&got, &expect, sizeof got) != 0) Fail("wrong value", text);
  if (!ok && got != 12345.0) Fail("value written on refusal", text);
  gAccepted += ok;

  // UTF-16: every unit outside ASCII (and a text that does not fit) is refused, never cut or
  // folded onto its low byte.
  char16_t wide[300];
  bool ascii = true;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t u = static_cast<uint8_t>(text[i]);
    if (wideUnits && (data[i % size] & 0x30) == 0x30) u = static_cast<char16_t>(0x4E00 | u);
    if (u > 0x7F) ascii = false;
    wide[i] = u;
  }
  wide[text.size()] = 0;
  char narrow[128];
  const bool fits = text.size() < sizeof narrow;
  const bool narrowed = NarrowAsciiText(wide, narrow, sizeof narrow);
  if (narrowed != (ascii && fits)) Fail(narrowed ? "narrowed" : "not narrowed", text);
  if (narrowed && text != narrow) Fail("narrowed to other text", text);
  gNarrowed += narrowed;
  if (!narrowed && narrow[0] != '\0') Fail("left text after refusing", text);
  return 0;
}
