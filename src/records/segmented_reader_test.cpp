#include "records/segmented_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/segmented_writer.h"

namespace pedprep {
namespace {

TEST(SegmentedReaderTest, ReadsBackWhatTheWriterWrote) {
  const std::vector<std::size_t> sizes = {0, 1, 127, 128, 129, 256, 257, 1000};
  std::vector<std::string> data;
  SegmentedWriter writer;
  for (std::size_t n : sizes) {
    OutList values;
    data.emplace_back();
    for (std::size_t i = 0; i < n; ++i) {
      values.push_back(I8(static_cast<int8_t>(i * 7 + n)));
      data.back().push_back(static_cast<char>(i * 7 + n));
    }
    writer.WriteRecord(values);
  }
  const std::string file = writer.Close();
  const std::vector<SegmentedRecord> records = ReadSegmentedFile(file, "F");
  ASSERT_EQ(records.size(), sizes.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    EXPECT_EQ(records[i].data, data[i]) << sizes[i];
    for (std::size_t k = 0; k < data[i].size(); ++k) {
      ASSERT_EQ(file[records[i].FileOffset(k)], data[i][k]) << sizes[i] << " " << k;
    }
  }
  EXPECT_TRUE(ReadSegmentedFile("\x4B\x82", "F").empty());
}

TEST(SegmentedReaderTest, FramingFaultsNameTheOffsetAndTheExpectedByte) {
  const std::string c128(128, 'c');
  struct Case {
    const char* name;
    std::string bytes;
    const char* report;
  } cases[] = {
      {"empty", "", "F, byte 0: expected the start marker 0x4B, found the end of the file"},
      {"bad start", "\x4C\x82", "F, byte 0: expected the start marker 0x4B, found 0x4C"},
      {"no end marker", "\x4B\x01x\x01",
       "F, byte 4: expected the end marker 0x82 or a record, found the end of the file"},
      {"bytes after the end", std::string("\x4B\x82\x00\x00", 4),
       "F, byte 2: expected the end of the file after the end marker 0x82, found 2 more bytes"},
      {"length too big", "\x4B\x90",
       "F, byte 1: expected a segment length byte 0x00..0x80 or 0x81 or the end marker 0x82, "
       "found 0x90"},
      {"end marker inside a record", "\x4B\x81" + c128 + "\x81\x82",
       "F, byte 131: expected a segment length byte 0x00..0x80 or 0x81, found 0x82"},
      {"trailing length differs", "\x4B\x02xy\x03\x82",
       "F, byte 4: expected the length byte 0x02 repeated after the segment's data, found 0x03"},
      {"cut in the data", "\x4B\x05xy",
       "F, byte 4: expected 5 data bytes from byte 2, found 2 before the end of the file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ReadSegmentedFile(c.bytes, "F");
      ADD_FAILURE() << "no fault reported";
    } catch (const SegmentedFileError& e) {
      EXPECT_EQ(std::string(e.what()), c.report);
      EXPECT_EQ(e.file(), "F");
    }
  }
}

TEST(SegmentedReaderTest, LittleEndianValues) {
  const std::string data("\x03\x00\x00\x80\xFE\xFF\x81", 7);
  EXPECT_EQ(LoadInt32(data, 0), INT32_MIN + 3);
  EXPECT_EQ(LoadInt16(data, 4), -2);
  EXPECT_EQ(LoadInt16(data, 0), 3);
  EXPECT_EQ(LoadInt8(data, 6), -127);
  EXPECT_THROW(LoadInt32(data, 4), std::out_of_range);
  EXPECT_THROW(LoadInt8(data, 7), std::out_of_range);
}

}  // namespace
}  // namespace pedprep
