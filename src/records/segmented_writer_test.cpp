#include "records/segmented_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace pedprep {
namespace {

std::string Hex(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  }
  return out;
}

OutList Bytes(std::size_t n) {
  OutList values;
  for (std::size_t i = 0; i < n; ++i) values.push_back(I8(static_cast<int8_t>(i)));
  return values;
}

// Expected framing of one record of n data bytes whose k-th byte is (k mod 256).
std::string Framed(std::size_t n) {
  std::string out;
  std::size_t done = 0;
  while (n - done > 128) {
    out += '\x81';
    for (std::size_t k = done; k < done + 128; ++k) out += static_cast<char>(k);
    out += '\x81';
    done += 128;
  }
  out += static_cast<char>(n - done);
  for (std::size_t k = done; k < n; ++k) out += static_cast<char>(k);
  out += static_cast<char>(n - done);
  return out;
}

TEST(SegmentedWriterTest, MixedWidthRecordBothWays) {
  const OutList values = {I32(3), I16(1), I16(2), I16(3)};
  SegmentedWriter known;
  known.WriteRecord(values);
  EXPECT_EQ(Hex(known.Close()), "4B 0A 03 00 00 00 01 00 02 00 03 00 0A 82");
  SegmentedWriter streaming;
  streaming.WriteRecordStreaming(values);
  EXPECT_EQ(Hex(streaming.Close()), "4B 0A 03 00 00 00 01 00 02 00 03 00 0A 82");
}

TEST(SegmentedWriterTest, SegmentBoundariesBothWays) {
  for (std::size_t n : {0u, 1u, 127u, 128u, 129u, 255u, 256u, 257u, 1000u}) {
    SCOPED_TRACE(n);
    const std::string expected = "\x4B" + Framed(n) + "\x82";
    SegmentedWriter known;
    known.WriteRecord(Bytes(n));
    EXPECT_EQ(known.Close(), expected);
    SegmentedWriter streaming;
    streaming.WriteRecordStreaming(Bytes(n));
    EXPECT_EQ(streaming.Close(), expected);
  }
}

TEST(SegmentedWriterTest, LengthBytesOfWorkedSizes) {
  SegmentedWriter w;
  w.WriteRecord(Bytes(128));
  std::string out = w.Close();
  ASSERT_EQ(out.size(), 1u + 130u + 1u);
  EXPECT_EQ(static_cast<unsigned char>(out[1]), 0x80);
  EXPECT_EQ(static_cast<unsigned char>(out[130]), 0x80);

  SegmentedWriter w129;
  w129.WriteRecordStreaming(Bytes(129));
  out = w129.Close();
  ASSERT_EQ(out.size(), 1u + 130u + 3u + 1u);
  EXPECT_EQ(Hex(out.substr(0, 2)), "4B 81");
  EXPECT_EQ(Hex(out.substr(129, 6)), "7F 81 01 80 01 82");
}

TEST(SegmentedWriterTest, FileOfEmptyRecords) {
  SegmentedWriter w;
  w.WriteRecord({});
  w.WriteRecordStreaming({});
  w.WriteRecord({});
  EXPECT_EQ(Hex(w.Close()), "4B 00 00 00 00 00 00 82");
}

TEST(SegmentedWriterTest, ValuesInMemoryFormAndText) {
  SegmentedWriter w;
  w.WriteRecordStreaming({I32(-2), I16(-300), I8(-1), Str(std::string("a\0b", 3))});
  EXPECT_EQ(Hex(w.Close()), "4B 0A FE FF FF FF D4 FE FF 61 00 62 0A 82");
}

TEST(SegmentedWriterTest, FileWithoutRecordsStillHasStartMarker) {
  SegmentedWriter w;
  EXPECT_EQ(Hex(w.Close()), "4B 82");
  EXPECT_THROW(w.WriteRecord({}), std::logic_error);
}

}  // namespace
}  // namespace pedprep
