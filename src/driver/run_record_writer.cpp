#include "driver/run_record_writer.h"

#include "core/run_files.h"

namespace pedprep {

bool RecordingFolder::ReadFile(const std::string& name, std::string* contents) {
  if (!folder_.ReadFile(name, contents)) return false;
  for (const RecordedFile& file : read_) {
    if (file.name == name) return true;
  }
  read_.push_back(DescribeFile(RecordedFile::Role::kInput, name, *contents));
  return true;
}

void RecordingFolder::WriteFiles(const std::vector<OutputFile>& files) {
  RunRecord record{version_, time_, read_};
  std::string ids;
  if (record.Find(kIdsFile) == nullptr && folder_.ReadFile(kIdsFile, &ids)) {
    record.files.push_back(DescribeFile(RecordedFile::Role::kInput, kIdsFile, ids));
  }
  for (const OutputFile& file : files) {
    record.files.push_back(DescribeFile(RecordedFile::Role::kOutput, file.name, file.bytes));
  }
  std::vector<OutputFile> group = files;
  group.push_back({kRunRecordFile, FormatRunRecord(record)});
  folder_.WriteFiles(group);
}

std::string RecordTime(std::time_t when) {
  std::tm utc{};
#if defined(_WIN32)
  gmtime_s(&utc, &when);  // the same with the arguments the other way round
#else
  gmtime_r(&when, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace pedprep
