// The library's text class behind AAX_IString: a zero-terminated byte string (no encoding assumed).
#pragma once

#include <cstdint>
#include <string>

#include "aax/aaxhost.h"

class AAX_CString final : public AAX_IString {
public:
  AAX_CString() = default;
  AAX_CString(const char* text);  // a null text gives the empty string
  AAX_CString(const AAX_CString& other) = default;
  AAX_CString& operator=(const AAX_CString& other);
  ~AAX_CString() = default;

  // Host-facing slots: none of them lets an exception out (a failed allocation leaves the text as
  // it was).
  void Destroy() override;
  uint32_t TextLength() const override;
  uint32_t MaxTextLength() const override;
  const char* Text() const override;
  void SetText(const char* text) override;  // a null text is the empty text
  AAX_IString& AssignText(const char* text) override;
  AAX_IString& AssignString(const AAX_IString& other) override;

  AAX_CString& Assign(const AAX_CString& other);
  void Clear();
  // Removes up to count characters at position; a position beyond the size throws std::out_of_range.
  AAX_CString& Erase(uint32_t position, uint32_t count);
  // Appends the value in fixed-point notation with the given number of decimals (classic locale).
  AAX_CString& AppendNumber(double value, int32_t decimals);
  // Reads a decimal number from the start of the text; false and 0 when none is there.
  bool ToDouble(double* out) const;
  // out receives up to count characters from position on (through its SetText); a position beyond
  // the size throws std::out_of_range.
  void SubString(uint32_t position, uint32_t count, AAX_IString* out) const;
  AAX_CString& Append(const AAX_CString& other);
  // The character at position; a position at or beyond the size gives the terminating zero.
  const char* CharAt(uint32_t position) const;

  // Byte-wise comparisons of the zero-terminated texts (bytes compared as unsigned values).
  bool operator==(const AAX_IString& other) const;
  bool operator!=(const AAX_CString& other) const;
  bool operator<(const AAX_CString& other) const;

private:
  std::string mText;
};
