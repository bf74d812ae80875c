// The chunk data parser: the bytes it writes, what it reads back, its search cursor, and records
// that are too short, wrongly marked or cut inside an entry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "aax/aaxchunkparser.h"
#include "aax/aaxproxies.h"
#include "tests/aax/fakehost.h"

namespace {

// A record holding the given data bytes, its size field stating their number unless told otherwise.
struct Record {
  explicit Record(const std::vector<uint8_t>& data, int32_t version = 0)
      : bytes(AAX_ChunkRecord::kHeaderSize, 0) {
    bytes.insert(bytes.end(), data.begin(), data.end());
    Get()->size = static_cast<int32_t>(data.size());
    Get()->version = version;
  }
  AAX_ChunkRecord* Get() { return reinterpret_cast<AAX_ChunkRecord*>(bytes.data()); }
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Written(const AAX_CChunkDataParser& parser) {
  const int32_t size = parser.GetChunkDataSize();
  std::vector<uint8_t> bytes(AAX_ChunkRecord::kHeaderSize + static_cast<size_t>(size), 0xEE);
  auto* record = reinterpret_cast<AAX_ChunkRecord*>(bytes.data());
  EXPECT_EQ(parser.GetChunkData(record), 0);
  EXPECT_EQ(record->size, size);
  return std::vector<uint8_t>(bytes.begin() + AAX_ChunkRecord::kHeaderSize, bytes.end());
}

const std::vector<uint8_t> kMark = {1, 1, 1, 1};

std::vector<uint8_t> Cat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(AAX_CChunkDataParser, WritesTheDocumentedBytes) {
  AAX_CChunkDataParser empty;
  EXPECT_EQ(empty.GetChunkDataSize(), 4);
  EXPECT_EQ(Written(empty), kMark);

  AAX_CChunkDataParser one;
  one.AddDouble("1", 1.5);
  EXPECT_EQ(Written(one), Cat(kMark, {0x64, 0x5F, 0x31, 0x00, 0x3F, 0xF8, 0, 0, 0, 0, 0, 0}));

  AAX_CChunkDataParser two;
  two.AddInt32("ab", 258);
  two.AddInt32("", -2);
  two.AddString("xy", "abc");
  EXPECT_EQ(Written(two), Cat(kMark, {0x6C, 0x5F, 0x61, 0x62, 0, 0, 0, 0, 0x00, 0x00, 0x01, 0x02,  //
                                      0x6C, 0x5F, 0, 0, 0xFF, 0xFF, 0xFF, 0xFE,                    //
                                      0x72, 0x5F, 0x78, 0x79, 0, 0, 0, 0, 0x61, 0x62, 0x63, 0}));
  EXPECT_EQ(two.GetChunkDataSize(), 4 + 12 + 8 + 12);
  EXPECT_EQ(two.GetChunkData(nullptr), -20002);
}

TEST(AAX_CChunkDataParser, ReadsBackWhatItWrote) {
  AAX_CChunkDataParser out;
  out.AddDouble("gain", -0.1);
  out.AddInt32("mode", -70000);
  out.AddString("label", "Hello");
  out.AddDouble("", 3.0);
  Record record(Written(out), 42);
  AAX_CChunkDataParser in;
  ASSERT_TRUE(in.LoadChunk(record.Get()));
  EXPECT_EQ(in.ChunkVersion(), 42);
  ASSERT_EQ(in.Values().size(), 4u);
  const struct { int32_t type; const char* name; } order[] = {{3, "gain"}, {2, "mode"}, {5, "label"}, {3, ""}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(in.Values()[i].type, order[i].type);
    EXPECT_STREQ(in.Values()[i].name.Text(), order[i].name);
  }
  double d = 0;
  int32_t n = 0;
  AAX_CString text;
  EXPECT_TRUE(in.FindDouble("gain", &d));
  EXPECT_EQ(d, -0.1);
  EXPECT_TRUE(in.FindInt32("mode", &n));
  EXPECT_EQ(n, -70000);
  EXPECT_TRUE(in.FindString("label", &text));
  EXPECT_STREQ(text.Text(), "Hello");
  EXPECT_TRUE(in.FindDouble(nullptr, &d));  // a null name is the empty text
  EXPECT_EQ(d, 3.0);
  n = 5;
  EXPECT_FALSE(in.FindInt32("gain", &n));  // a double is not an int
  EXPECT_EQ(n, 5);
  EXPECT_FALSE(in.FindDouble("absent", &d));
  EXPECT_FALSE(in.FindDouble("gain", nullptr));
  EXPECT_EQ(Written(in), Written(out));
}

TEST(AAX_CChunkDataParser, ReadsHandMadeEntriesOfEveryTag) {
  const std::vector<uint8_t> data = Cat(kMark, {
      'r', '_', 'n', 0, 'h', 'i', 0, 0,              // text "hi"
      'f', '_', 'f', 0, 0x3F, 0x80, 0, 0,            // float 1.0
      's', '_', 's', 0, 0x01, 0x02, 0, 0,            // int16 258
      'q', '_', 'u', 0,                              // unknown tag: no value
      'l', '_', 'l', 0, 0x80, 0, 0, 0});             // int32 -2^31
  Record record(data);
  AAX_CChunkDataParser parser;
  ASSERT_TRUE(parser.LoadChunk(record.Get()));
  ASSERT_EQ(parser.Values().size(), 5u);
  const int32_t types[] = {5, 1, 4, 0, 2};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(parser.Values()[i].type, types[i]) << i;
  EXPECT_EQ(parser.Values()[1].numeric, 0x3F800000u);
  EXPECT_EQ(parser.Values()[2].numeric, 258u);
  AAX_CString text;
  EXPECT_TRUE(parser.FindString("n", &text));
  EXPECT_STREQ(text.Text(), "hi");
  int32_t n = 0;
  EXPECT_TRUE(parser.FindInt32("l", &n));
  EXPECT_EQ(n, -2147483647 - 1);
  // Entries of unknown type are not written back.
  EXPECT_EQ(parser.GetChunkDataSize(), 4 + 8 + 8 + 8 + 8);
}

TEST(AAX_CChunkDataParser, SearchStartsAfterTheLastFindAndWrapsRound) {
  AAX_CChunkDataParser parser;
  parser.AddInt32("a", 1);
  parser.AddInt32("b", 2);
  parser.AddInt32("a", 3);
  int32_t n = 0;
  // In list order no lookup wraps.
  EXPECT_TRUE(parser.FindInt32("a", &n));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(parser.SearchCursor(), 0);
  EXPECT_TRUE(parser.FindInt32("b", &n));
  EXPECT_TRUE(parser.FindInt32("a", &n));
  EXPECT_EQ(n, 3);  // the "a" after the cursor, not the first one
  EXPECT_EQ(parser.SearchCursor(), 2);
  // At the last position the cursor starts over.
  EXPECT_TRUE(parser.FindInt32("a", &n));
  EXPECT_EQ(n, 1);
  EXPECT_TRUE(parser.FindInt32("b", &n));
  EXPECT_EQ(parser.SearchCursor(), 1);
  EXPECT_TRUE(parser.FindInt32("a", &n));  // after "b": position 2
  EXPECT_EQ(n, 3);
  EXPECT_TRUE(parser.FindInt32("b", &n));  // wraps round from the last position
  EXPECT_EQ(parser.SearchCursor(), 1);
  EXPECT_FALSE(parser.FindInt32("c", &n));
  EXPECT_EQ(parser.SearchCursor(), 1);  // no match leaves the cursor
}

TEST(AAX_CChunkDataParser, RecordsTooShortOrWronglyMarkedGiveAnEmptyList) {
  AAX_CChunkDataParser parser;
  Record four(kMark, 7);
  EXPECT_TRUE(parser.LoadChunk(four.Get()));
  EXPECT_TRUE(parser.Values().empty());
  EXPECT_EQ(parser.ChunkVersion(), 7);
  parser.AddInt32("x", 1);
  Record wrongMark({1, 1, 1, 2, 'l', '_', 'x', 0, 0, 0, 0, 1}, 3);
  EXPECT_FALSE(parser.LoadChunk(wrongMark.Get()));
  EXPECT_TRUE(parser.Values().empty());
  EXPECT_EQ(parser.ChunkVersion(), 3);
  Record negative(Cat(kMark, {'l', '_', 'x', 0, 0, 0, 0, 1}));
  negative.Get()->size = -1;
  EXPECT_FALSE(parser.LoadChunk(negative.Get()));
  EXPECT_TRUE(parser.Values().empty());
  EXPECT_FALSE(parser.LoadChunk(nullptr));
}

TEST(AAX_CChunkDataParser, EntryThatDoesNotFitStopsTheParse) {
  const struct { const char* what; std::vector<uint8_t> data; size_t kept; } cases[] = {
      {"double cut short", Cat(kMark, {'l', '_', 'a', 0, 0, 0, 0, 1, 'd', '_', 'b', 0, 0x3F, 0xF0, 0, 0}), 1},
      {"int cut short", Cat(kMark, {'l', '_', 'a', 0, 0, 0}), 0},
      {"name without its zero", Cat(kMark, {'d', '_', 'a', 'b'}), 0},
      {"tag of one byte", Cat(kMark, {'d', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0},
      {"empty tag", Cat(kMark, {0, 0, 0, 0}), 0},
      {"text without its zero", Cat(kMark, {'r', '_', 'a', 0, 'x', 'y'}), 0},
      {"text position past the end", Cat(kMark, {'r', '_', 'a', 0}), 0},
  };
  for (const auto& c : cases) {
    Record record(c.data);
    AAX_CChunkDataParser parser;
    EXPECT_FALSE(parser.LoadChunk(record.Get())) << c.what;
    EXPECT_EQ(parser.Values().size(), c.kept) << c.what;
  }
  // A name longer than 255 bytes is cut there; its value follows at the next multiple of 4.
  std::vector<uint8_t> longName = Cat(kMark, {'l', '_'});
  longName.resize(4 + 256 + 4, 'n');
  std::fill(longName.end() - 4, longName.end(), 0);
  longName[4 + 256 + 3] = 9;
  Record record(longName);
  AAX_CChunkDataParser parser;
  ASSERT_TRUE(parser.LoadChunk(record.Get()));
  ASSERT_EQ(parser.Values().size(), 1u);
  EXPECT_EQ(parser.Values()[0].name.TextLength(), 253u);
  EXPECT_EQ(parser.Values()[0].numeric, 9u);
}

TEST(AAX_CChunkDataParser, EveryLoadReplacesTheValues) {
  AAX_CChunkDataParser parser;
  parser.AddDouble("old", 1.0);
  Record record(Cat(kMark, {'l', '_', 'n', 0, 0, 0, 0, 5}));
  ASSERT_TRUE(parser.LoadChunk(record.Get()));
  double d = 0;
  EXPECT_FALSE(parser.FindDouble("old", &d));
  parser.Reset();
  EXPECT_TRUE(parser.Values().empty());
  EXPECT_EQ(parser.ChunkVersion(), -1);
  EXPECT_EQ(parser.SearchCursor(), -1);
}
