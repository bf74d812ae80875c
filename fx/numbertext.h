// Number texts that read the same whatever numeric locale the host process runs under: '.' is
// always the decimal separator, in both directions.
#pragma once

#include <cstddef>

// Replaces the C library's current decimal separator in text (when it is not '.') by '.'.
void NormaliseDecimalPoint(char* text);
// snprintf("%.*f") with '.' as the separator; always NUL-terminated (outSize > 0).
void FormatFixed(char* out, size_t outSize, int decimals, double value);
// Reads a decimal number written with '.' (sign, digits, fraction, exponent); false when the text
// starts with no number or the number is not finite.
bool ParseDecimal(const char* text, double* value);
