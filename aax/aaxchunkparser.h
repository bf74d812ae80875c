// Turns a list of named, typed values into the data of one AAX state chunk and back.
//
// Chunk data: the format mark 01 01 01 01, then entries starting at multiples of 4: a two-character
// tag ("f_" float, "l_" int32, "d_" double, "s_" int16, "r_" text), the zero-terminated name, zero
// padding to a multiple of 4, then the value: numbers with their bytes in reverse (big-endian)
// order (the int16 followed by two zero bytes), a text zero-terminated and padded to a multiple of 4.
#pragma once

#include <cstdint>
#include <vector>

#include "aax/aaxhost.h"
#include "aax/aaxstring.h"

class AAX_CChunkDataParser {
public:
  enum ValueType : int32_t { kUnknown = 0, kFloat = 1, kInt32 = 2, kDouble = 3, kInt16 = 4, kText = 5 };

  struct ChunkValue {
    int32_t type = kUnknown;
    AAX_CString name;
    uint64_t numeric = 0;  // the 32-, 16- or 64-bit value, bit for bit
    AAX_CString text;
  };

  AAX_CChunkDataParser() = default;
  virtual ~AAX_CChunkDataParser() = default;

  // Append a value; names are not checked for duplicates (a null name is the empty text).
  void AddDouble(const char* name, double value);
  void AddInt32(const char* name, int32_t value);
  void AddString(const char* name, const char* text);

  // The value of that name and type (3, 2 or 5); false and out untouched otherwise. The search starts
  // after the last value found and wraps round, so lookups in list order cost one comparison each.
  bool FindDouble(const char* name, double* out);
  bool FindInt32(const char* name, int32_t* out);
  bool FindString(const char* name, AAX_IString* out);

  // The size of the data GetChunkData writes; -1 when it would not fit in 31 bits.
  int32_t GetChunkDataSize() const;
  // Writes the size field and the data after the record's header (the record must have room for
  // GetChunkDataSize bytes of data). 0, -333 when the data would overflow (reported through the
  // host's trace), the size itself when it is below 1, -20002 for a null record.
  int32_t GetChunkData(AAX_ChunkRecord* record) const;
  // Replaces the values with those of the record (reading at most its stated size of data) and takes
  // its version. False for a null record, a size below 4, a missing format mark, or an entry that is
  // malformed or does not fit in the size; the parse stops there, keeping the entries before it.
  bool LoadChunk(const AAX_ChunkRecord* record);

  // Empties the values; version and search cursor back to -1.
  void Reset();
  int32_t ChunkVersion() const { return mChunkVersion; }
  void SetChunkVersion(int32_t version) { mChunkVersion = version; }
  const std::vector<ChunkValue>& Values() const { return mValues; }
  int32_t SearchCursor() const { return mSearchCursor; }

private:
  // Position of the value of that name, moving the cursor there; -1 when there is none.
  int32_t FindName(const char* name);

  int32_t mSearchCursor = -1;
  int32_t mReserved = 0;  // kept at 0
  int32_t mChunkVersion = -1;
  std::vector<ChunkValue> mValues;
};
