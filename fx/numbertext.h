// Number texts that read and write the same whatever numeric locale the host process runs under:
// '.' is always the decimal separator, in both directions.
#pragma once

#include <cstddef>

// Replaces the C library's current decimal separator in text (when it is not '.') by '.'.
void NormaliseDecimalPoint(char* text);
// snprintf("%.*f") with '.' as the separator; always NUL-terminated (outSize > 0).
void FormatFixed(char* out, size_t outSize, int decimals, double value);

// Reads a whole text as one decimal number in the form the value texts are written in, with no
// locale involved:
//   spaces, [+|-] digits [. digits] [(e|E) [+|-] digits], spaces, [unit, spaces]
// where spaces are any run of blanks and tabs (also none) and unit is the given unit text, exactly
// (null or "" for none). Anything else is refused: other separators, hexadecimal numbers, "nan",
// "inf", trailing text, an empty text, and numbers beyond the range of a double. value is written only
// on success.
bool ParseNumberText(const char* text, const char* unit, double* value);

// Copies UTF-16 text (up to its NUL) into out as 8-bit ASCII text. False, with out holding "",
// when a unit lies outside ASCII (1..127) or the text with its NUL does not fit outSize bytes.
bool NarrowAsciiText(const char16_t* text, char* out, size_t outSize);
