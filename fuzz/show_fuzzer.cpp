// Fuzzes the segmented reader and `show` on an in-memory folder. The input is split at
// "\n@@\n" into the folder's files: DEF.DAT, PEDIGREE, ID.PE, the marker file (named as
// DEF.DAT's record 2 names it), ped.dat and ids.csv; missing parts are left out.
//
// Besides the sanitizers, every input must keep these promises:
//   - the segmented reader either fails at an offset inside the file or gives records whose
//     data bytes stand in the file where FileOffset says;
//   - show ends with 0 (nothing on `err`, a header and one line per row of PEDIGREE's ND),
//     1 (nothing on `out`, each line naming a file of the folder) or 2 (one INPUT ERROR line);
//   - a folder show accepts is rejected once any one of its four files is cut short.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_parts.h"
#include "records/escape.h"
#include "records/file_system.h"
#include "records/segmented_reader.h"
#include "reports/show.h"
#include "testing/fakes.h"

namespace {

using namespace pedprep;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The records of a binary file, checked against its bytes; empty when it has a fault.
std::vector<SegmentedRecord> CheckedRecords(const std::string& bytes) {
  try {
    std::vector<SegmentedRecord> records = ReadSegmentedFile(bytes, "F");
    for (const SegmentedRecord& record : records) {
      for (std::size_t i = 0; i < record.data.size(); ++i) {
        const std::size_t at = record.FileOffset(i);
        if (at >= bytes.size() || bytes[at] != record.data[i]) __builtin_trap();
      }
    }
    return records;
  } catch (const SegmentedFileError& e) {
    if (e.offset() > bytes.size() || e.file() != "F") __builtin_trap();
  }
  return {};
}

// DEF.DAT's record 2 as show takes it: its first 20 bytes without surrounding blanks.
std::string MarkerFileName(const std::string& definition) {
  std::size_t start = definition.find('\n');
  if (start == std::string::npos) return "";
  ++start;
  std::size_t end = definition.find('\n', start);
  if (end == std::string::npos) end = definition.size();
  std::string line = definition.substr(start, end - start);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line.resize(std::min<std::size_t>(line.size(), 20));
  return TrimFileName(line);
}

struct Shown {
  int status = 0;
  std::string out, err;
};

Shown Show(MemoryFileSystem folder, bool csv) {
  std::ostringstream out, err;
  Shown shown;
  shown.status = RunShow(folder, csv, out, err);
  shown.out = out.str();
  shown.err = err.str();
  return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> parts = SplitFuzzParts(input, 6);
  std::vector<std::string> names = {"DEF.DAT", "PEDIGREE", "ID.PE", MarkerFileName(parts[0]),
                                    "ped.dat", "ids.csv"};
  MemoryFileSystem folder;
  for (std::size_t k = parts.size(); k-- > 0;) folder.files[names[k]] = parts[k];

  int64_t rows = -1;  // PEDIGREE's ND, when its framing holds
  for (std::size_t k = 1; k <= 3 && k < parts.size(); ++k) {
    const std::vector<SegmentedRecord> records = CheckedRecords(parts[k]);
    if (k == 1 && !records.empty() && records[0].data.size() >= 4) {
      rows = std::max(LoadInt32(records[0].data, 0), 0);
    }
  }

  const Shown shown = Show(folder, false);
  if (shown.status == 2) {
    const std::vector<std::string> lines = Lines(shown.err);
    if (!shown.out.empty() || lines.size() != 1 || lines[0].rfind("INPUT ERROR: ", 0) != 0) {
      __builtin_trap();
    }
    return 0;
  }
  if (shown.status == 1) {
    if (!shown.out.empty() || shown.err.empty()) __builtin_trap();
    for (const std::string& line : Lines(shown.err)) {
      const bool named = std::any_of(names.begin(), names.end(), [&line](const std::string& name) {
        const std::string n = EscapeControlBytes(name);
        return !n.empty() && line.size() > n.size() && line.compare(0, n.size(), n) == 0 &&
               (line[n.size()] == ',' || line[n.size()] == ':');
      });
      if (!named) __builtin_trap();
    }
    return 0;
  }
  if (shown.status != 0 || !shown.err.empty() || rows < 0) __builtin_trap();
  if (static_cast<int64_t>(Lines(shown.out).size()) != rows + 1) __builtin_trap();
  if (Show(folder, true).status != 0) __builtin_trap();

  // Cut short, each file is a fault: the binary files by their last byte and at half their
  // size, ped.dat at half its size and without its last record.
  for (std::size_t k = 1; k <= 4; ++k) {
    const std::string& bytes = parts[k];
    std::vector<std::string> cuts = {bytes.substr(0, bytes.size() / 2)};
    if (k < 4) {
      cuts.push_back(bytes.substr(0, bytes.size() - 1));
    } else {
      std::size_t end = bytes.find_last_not_of("\r\n");
      end = end == std::string::npos ? 0 : bytes.find_last_of('\n', end);
      cuts.push_back(bytes.substr(0, end == std::string::npos ? 0 : end + 1));
    }
    for (const std::string& cut : cuts) {
      MemoryFileSystem damaged = folder;
      damaged.files[names[k]] = cut;
      if (Show(damaged, false).status == 0) __builtin_trap();
    }
  }
  return 0;
}
