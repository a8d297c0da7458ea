#include "export/binary_files.h"

#include <gtest/gtest.h>

#include <string>

#include "records/input_error.h"
#include "testing/test_run.h"

namespace pedprep {
namespace {

using testing::TestRun;

using std::string_literals::operator""s;

void AddIndividuals(TestRun& run, int count) {
  run.exports.NAME1 = "MARKER.DAT          ";
  for (int i = 1; i <= count; ++i) {
    run.AddRow({1, i, 0, 0, 2, 1, 100 + i});
    run.store().IFON[i] = static_cast<int8_t>(i);
    run.exports.NAZ[i] = static_cast<int8_t>(-i);
  }
}

TEST(UnformTest, SingleIndividual) {
  TestRun run;
  run.AddRow({3, 1, 2, -1, 1, 2, 300});
  run.store().IFON[1] = -2;
  run.exports.NAZ[1] = 9;
  run.exports.NAME1 = "MARKER.DAT          ";
  run.console.answers = {""};
  UNFORM(*run.ctx, run.exports);
  EXPECT_EQ(run.files.files["PEDIGREE"],
            "\x4B\x0E\x01\x00\x00\x00\x03\x00\x01\x00\x02\x00\xFF\xFF\x01\x02\x0E\x82"s);
  EXPECT_EQ(run.files.files["ID.PE"], "\x4B\x06\x01\x00\x00\x00\x2C\x01\x06\x82"s);
  EXPECT_EQ(run.files.files["MARKER.DAT"], "\x4B\x05\x01\x00\x00\x00\xFE\x05\x01\x09\x01\x82"s);
  EXPECT_EQ(run.files.files.count("ped.dat"), 0u);  // only the marker merge builds it
  EXPECT_EQ(run.console.output, "ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED\n" +
                                    std::string(kPausePrompt) + "\n");
}

TEST(UnformTest, SegmentFraming) {
  TestRun thirteen;
  AddIndividuals(thirteen, 13);
  UNFORM(*thirteen.ctx, thirteen.exports);
  const std::string& pedigree = thirteen.files.files["PEDIGREE"];
  ASSERT_EQ(pedigree.size(), 1u + 130u + 8u + 1u);
  EXPECT_EQ(pedigree[1], '\x81');
  EXPECT_EQ(pedigree[130], '\x81');
  EXPECT_EQ(pedigree[131], '\x06');
  EXPECT_EQ(pedigree[138], '\x06');
  EXPECT_EQ(pedigree.substr(2, 4), "\x0D\x00\x00\x00"s);
  // Individual 13 starts at data byte 124: family 1, number 13.
  EXPECT_EQ(pedigree.substr(2 + 124, 4), "\x01\x00\x0D\x00"s);

  TestRun sixty_two;
  AddIndividuals(sixty_two, 62);
  UNFORM(*sixty_two.ctx, sixty_two.exports);
  const std::string& ids = sixty_two.files.files["ID.PE"];
  ASSERT_EQ(ids.size(), 1u + 130u + 1u);
  EXPECT_EQ(ids[1], '\x80');
  EXPECT_EQ(ids[130], '\x80');
}

TEST(UnformTest, EmptyStoreStillWritesEveryRecord) {
  TestRun run;
  run.exports.NAME1 = "  M                 ";
  UNFORM(*run.ctx, run.exports);
  const std::string nd_only = "\x4B\x04\x00\x00\x00\x00\x04\x82"s;
  EXPECT_EQ(run.files.files["PEDIGREE"], nd_only);
  EXPECT_EQ(run.files.files["ID.PE"], nd_only);
  EXPECT_EQ(run.files.files["M"], "\x4B\x04\x00\x00\x00\x00\x04\x00\x00\x82"s);
}

TEST(UnformTest, UnusableMarkerFileNames) {
  for (const std::string& name : {std::string(20, ' '), "AB\0CD               "s}) {
    TestRun run;
    AddIndividuals(run, 2);
    run.exports.NAME1 = name.substr(0, 20);
    try {
      UNFORM(*run.ctx, run.exports);
      ADD_FAILURE() << "no error";
    } catch (const InputError& e) {
      EXPECT_EQ(e.operation(), "create");
    }
    EXPECT_TRUE(run.files.files.empty());
    EXPECT_EQ(run.console.output, "");
  }
}

TEST(UnformTest, MarkerFileNamedLikeAnotherOutputReplacesIt) {
  TestRun run;
  AddIndividuals(run, 1);
  run.exports.NAME1 = "ID.PE               ";
  UNFORM(*run.ctx, run.exports);
  EXPECT_EQ(run.files.files["ID.PE"], "\x4B\x05\x01\x00\x00\x00\x01\x05\x01\xFF\x01\x82"s);
}

}  // namespace
}  // namespace pedprep
