#include "records/run_record.h"

#include <gtest/gtest.h>

#include "records/input_error.h"
#include "records/sha256.h"

namespace pedprep {
namespace {

TEST(Sha256Test, KnownDigests) {
  // Lengths around the padding's block boundary (55, 56, 64 bytes) and several blocks.
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(55, 'a')),
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Sha256Hex(std::string(64, 'a')),
            "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(RunRecordTest, FormatsAndParsesBack) {
  RunRecord record{"1.0.0", "2026-12-08T05:53:07Z", {}};
  record.files.push_back(DescribeFile(RecordedFile::Role::kInput, "PEDIGREE.PRN", "abc"));
  record.files.push_back(DescribeFile(RecordedFile::Role::kOutput, "my markers.bin", ""));
  const std::string text = FormatRunRecord(record);
  EXPECT_EQ(text,
            "# pedprep run record: the files this run read and wrote (size in bytes, SHA-256)\n"
            "version 1.0.0\ntime 2026-12-08T05:53:07Z\n"
            "input 3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad "
            "PEDIGREE.PRN\n"
            "output 0 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 my "
            "markers.bin\n");
  const RunRecord back = ParseRunRecord(text + "later-keyword x\r\n", "PEDPREP.RUN");
  EXPECT_EQ(back.version, "1.0.0");
  EXPECT_EQ(back.time, "2026-12-08T05:53:07Z");
  ASSERT_EQ(back.files.size(), 2u);
  EXPECT_EQ(back.Find("my markers.bin")->role, RecordedFile::Role::kOutput);
  EXPECT_EQ(back.Find("PEDIGREE.PRN")->size, 3u);
  EXPECT_EQ(back.Find("ped.dat"), nullptr);

  for (const char* bad :
       {"input 3 abc PEDIGREE.PRN", "output x " /* no digest */,
        "input 3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
        "input -3 ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad a"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(ParseRunRecord(std::string("version 1\n") + bad + "\n", "PEDPREP.RUN"),
                 InputError);
  }
}

}  // namespace
}  // namespace pedprep
