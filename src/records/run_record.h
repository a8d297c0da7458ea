// PEDPREP.RUN: the record a successful run writes beside its outputs, naming every file it
// read and wrote with its size and SHA-256, so that a later look at the folder can tell
// whether the outputs still belong to the inputs. Text, one item a line, LF line ends:
//
//   # pedprep run record: the files this run read and wrote (size in bytes, SHA-256)
//   version 1.0.0
//   time 2026-12-08T05:53:07Z
//   input 1874 9f86d081...0f00a08 PEDIGREE.PRN
//   input 120 2c26b46b...4e7ae DEF.DAT
//   output 3072 fcde2b2e...89a12 ped.dat
//
// A file line is its role (input or output), its size, its 64-digit SHA-256 in lower case,
// one blank each, then its name to the end of the line (a name may hold blanks). Lines
// starting with '#' and blank lines are skipped; lines of other keywords are ignored, so
// that later versions may add some.
#ifndef PEDPREP_RECORDS_RUN_RECORD_H_
#define PEDPREP_RECORDS_RUN_RECORD_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

struct RecordedFile {
  enum class Role : uint8_t { kInput, kOutput };
  Role role = Role::kInput;
  std::string name;
  uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits
};

struct RunRecord {
  std::string version;
  std::string time;  // UTC, ISO 8601 (YYYY-MM-DDTHH:MM:SSZ)
  std::vector<RecordedFile> files;

  // The entry of `name`, or nullptr.
  const RecordedFile* Find(std::string_view name) const;
};

// The size and hash of `bytes` under `name`.
RecordedFile DescribeFile(RecordedFile::Role role, std::string name, std::string_view bytes);

std::string FormatRunRecord(const RunRecord& record);

// Throws InputError("read", file_name, line, problem, text) on a file line that is malformed.
RunRecord ParseRunRecord(std::string_view text, const std::string& file_name);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_RUN_RECORD_H_
