#include "export/binary_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/run_files.h"
#include "export/export_state.h"
#include "records/console.h"
#include "records/file_system.h"
#include "records/input_error.h"
#include "records/segmented_writer.h"

namespace pedprep {
namespace {

std::string MarkerFileName(const std::string& name1) {
  const std::string name = TrimFileName(name1);
  if (name.empty()) {
    throw InputError("create", "marker file", 0, "its name in DEF.DAT record 2 is blank", "");
  }
  if (name.find('\0') != std::string::npos) {
    throw InputError("create", "marker file", 0, "its name in DEF.DAT record 2 holds a zero byte",
                     "");
  }
  return name;
}

// The files in the order written; a later file of the same name replaces an earlier one.
std::vector<OutputFile> OutputFiles(const PedigreeStore& st, const ExportState& exports,
                                    const std::string& marker_name) {
  const int nd = std::clamp<int32_t>(st.ND, 0, kMaxRows);
  OutList pedigree{I32(st.ND)};
  OutList identifiers{I32(st.ND)};
  OutList markers{I32(st.ND)};
  OutList nations;
  for (int i = 1; i <= nd; ++i) {
    pedigree.push_back(I16(st.MAS0[i]));
    for (int j = 1; j <= 3; ++j) pedigree.push_back(I16(st.MAS[i][j]));
    for (int j = 1; j <= 2; ++j) pedigree.push_back(I8(static_cast<int8_t>(st.MAS1[i][j])));
    identifiers.push_back(I16(st.INI_ID[i]));
    markers.push_back(I8(st.IFON[i]));
    nations.push_back(I8(exports.NAZ[i]));
  }

  SegmentedWriter pedigree_file;
  pedigree_file.WriteRecordStreaming(pedigree);
  SegmentedWriter identifier_file;
  identifier_file.WriteRecord(identifiers);
  SegmentedWriter marker_file;
  marker_file.WriteRecord(markers);
  marker_file.WriteRecord(nations);

  std::vector<OutputFile> files;
  if (exports.ped_dat) files.push_back({kPedigreeTableFile, *exports.ped_dat});
  files.push_back({kPedigreeBinaryFile, pedigree_file.Close()});
  files.push_back({kIdentifierFile, identifier_file.Close()});
  files.push_back({marker_name, marker_file.Close()});
  std::vector<OutputFile> distinct;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const bool replaced_later =
        std::any_of(files.begin() + static_cast<long>(i) + 1, files.end(),
                    [&](const OutputFile& f) { return f.name == files[i].name; });
    if (!replaced_later) distinct.push_back(std::move(files[i]));
  }
  return distinct;
}

}  // namespace

void UNFORM(RunContext& ctx, const ExportState& exports) {
  const std::string marker_name = MarkerFileName(exports.NAME1);
  if (ctx.write_outputs) ctx.files.WriteFiles(OutputFiles(ctx.store, exports, marker_name));

  WriteListDirected(ctx.console, {Str("ALL RIGHT: UNFORMATED FILES  FOR ANALYZE ARE CREATED")});
  Pause(ctx);
}

}  // namespace pedprep
