// The run record (PEDPREP.RUN) of a run made on a real folder.
//
// RecordingFolder stands between the run and its folder: it passes every read through and
// notes the file read (size, SHA-256), and it adds the run record, as the last file, to the
// group of outputs the run writes, so the record is written all-or-nothing with them and
// renamed into place after them. A run that stops writes nothing, so the earlier outputs
// keep the earlier record. The record names the files read in the order first read, then
// ids.csv when the folder holds one (the import's id map, which the run does not read),
// then the outputs in the order written.
#ifndef PEDPREP_DRIVER_RUN_RECORD_WRITER_H_
#define PEDPREP_DRIVER_RUN_RECORD_WRITER_H_

#include <ctime>
#include <string>
#include <vector>

#include "records/file_system.h"
#include "records/run_record.h"

namespace pedprep {

class RecordingFolder : public FileSystem {
 public:
  // `folder` must outlive this; `version` and `time` go into the record as they are.
  RecordingFolder(FileSystem& folder, std::string version, std::string time)
      : folder_(folder), version_(std::move(version)), time_(std::move(time)) {}

  bool ReadFile(const std::string& name, std::string* contents) override;
  void WriteFiles(const std::vector<OutputFile>& files) override;

 private:
  FileSystem& folder_;
  std::string version_;
  std::string time_;
  std::vector<RecordedFile> read_;
};

// `when` as the record writes it: UTC, "YYYY-MM-DDTHH:MM:SSZ".
std::string RecordTime(std::time_t when);

}  // namespace pedprep

#endif  // PEDPREP_DRIVER_RUN_RECORD_WRITER_H_
