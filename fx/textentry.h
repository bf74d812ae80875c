// Window-system independent rules of the editor's text entry and dialogs: which characters a value
// field takes, how an entered text becomes a parameter value, and the bounded text building of the
// file dialog and the folder helpers.
#pragma once

#include <cstddef>

class IFxSetting;

// Whether a value field for a parameter of this kind takes the typed character: backspace always;
// plus, minus and the digits for toggles, integers and choices; the point too for continuous
// parameters; everything for kinds outside those.
bool FieldTakesChar(int kind, unsigned ch);

// Reads the number an entered text starts with: leading white space, an optional sign, digits with
// an optional point, an optional exponent; reading stops at the first other character. Only plain
// decimal digits count (no words such as "nan" or "inf", no hexadecimal), and a number beyond the
// range of a double is no number. False, value untouched, when there is no number.
bool ReadEnteredNumber(const char* text, double* value);

// The value (in display units) an entered text stands for: for toggles and choices the value of
// the first value text equal to it, else 0; for other kinds the number it starts with (0 when none),
// negated for a parameter shown with its sign flipped. Always finite.
double EnteredParamValue(const IFxSetting& param, const char* text);

// The folder of a module path: everything up to and including its last backslash. out is "" (and
// the result false) for a path without a backslash, one that ends with it, or a folder that does
// not fit outSize bytes with its terminator.
bool FolderOfModulePath(const char* path, char* out, size_t outSize);

// Drive and directory of a chosen file path ("C:" + "\dir\"), "/" counting as a separator too;
// false (out "") when the path has neither.
bool DriveAndDirectoryOf(const char* path, char* out, size_t outSize);

// The file dialog's filter and default extension from a list of extensions separated by spaces:
// each becomes "*." + extension, joined with ";"; the filter holds that pattern twice (description
// and pattern), each with its terminator, and a final terminator. The pattern holds at most
// kFilterPatternMax characters: extensions that would not fit whole are left out. The default
// extension is the first one, cut at kDefaultExtensionMax characters. filterSize must hold two
// patterns and three terminators (kFilterSize), defExtSize the default extension and its
// terminator; smaller buffers give empty texts.
constexpr size_t kFilterPatternMax = 126;
constexpr size_t kFilterSize = 2 * (kFilterPatternMax + 1) + 1;
constexpr size_t kDefaultExtensionMax = 15;
void BuildFileFilter(const char* extensions, char* filter, size_t filterSize, char* defExt,
                     size_t defExtSize);

// Copies at most outSize - 1 characters of text into out and ends it; null text gives "".
void CopyTextBounded(char* out, size_t outSize, const char* text);
