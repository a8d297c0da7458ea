#include "reading/observed_run.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "core/run_files.h"
#include "driver/run_driver.h"
#include "reading/loop_count.h"
#include "records/csv.h"
#include "records/input_error.h"
#include "records/input_folder.h"

namespace pedprep {
namespace {

// Reads from the folder and never writes to it (a run that writes no outputs asks for no
// write; should one come, it is dropped).
class ReadOnlyFileSystem : public FileSystem {
 public:
  explicit ReadOnlyFileSystem(FileSystem& base) : base_(base) {}
  bool ReadFile(const std::string& name, std::string* contents) override {
    return base_.ReadFile(name, contents);
  }
  void WriteFiles(const std::vector<OutputFile>& /*files*/) override {}

 private:
  FileSystem& base_;
};

class Collector : public RunObserver {
 public:
  explicit Collector(ObservedRun& run) : run_(run) {}

  void BloodFractionsFound(const PedigreeStore& store) override {
    const int nd = std::clamp(store.ND, 0, kMaxRows);
    run_.blood_rows.assign(1, StoreRow{});
    run_.blood_rows.reserve(static_cast<std::size_t>(nd) + 1);
    for (int p = 1; p <= nd; ++p) run_.blood_rows.push_back(store.Row(p));
  }
  void LoopCopyMade(const LoopCopyEvent& copy) override { loops_.push_back(copy); }
  void Stopped(const StopReason& reason) override { run_.stop = reason; }
  void InputFailed(const InputError& error) override { run_.input_error = error; }
  void PedigreeRead(const PedigreeStore& store) override {
    const std::vector<int32_t> copies = LoopCountsByFamily(store);
    for (int s = 1; s <= store.NumFamilies(); ++s) {
      run_.needs.push_back({store.MAS0[store.FamilyFirst(s)],
                            store.FamilyLast(s) - store.FamilyFirst(s) + 1,
                            copies[static_cast<std::size_t>(s - 1)]});
    }
  }
  void StructureAnalysed(const PedigreeStore& store, bool stopped) override {
    run_.structure_done = !stopped;
    const int ns = store.NumFamilies();
    ins_.assign(store.INS.begin(), store.INS.begin() + ns + 3);
    run_.families.clear();
    for (int s = 1; s <= ns; ++s) {
      FamilyCounts counts;
      counts.family = store.MAS0[store.FamilyFirst(s)];
      counts.rows = store.FamilyLast(s) - store.FamilyFirst(s) + 1;
      run_.families.push_back(counts);
    }
    for (const LoopCopyEvent& copy : loops_) {
      if (copy.family_index >= 1 && copy.family_index <= ns) {
        ++run_.families[static_cast<std::size_t>(copy.family_index - 1)].loop;
      }
    }
    for (FamilyCounts& counts : run_.families) counts.read = counts.rows - counts.loop;
  }
  // Notes what the marker matching passes over: records matching no animal (in file order,
  // each once), animals without a record (ascending INI_ID).
  void MarkerRecordsRead(const PedigreeStore& store,
                         const std::vector<int32_t>& identifiers) override {
    std::vector<int32_t> kods = identifiers;
    std::sort(kods.begin(), kods.end());
    std::vector<int32_t> animals;
    for (int i = 1; i <= std::clamp(store.ND, 0, kMaxRows); ++i) animals.push_back(store.INI_ID[i]);
    std::sort(animals.begin(), animals.end());
    animals.erase(std::unique(animals.begin(), animals.end()), animals.end());
    std::set<int32_t> reported;
    for (int32_t kod : identifiers) {
      if (!std::binary_search(animals.begin(), animals.end(), kod) && reported.insert(kod).second) {
        run_.unmatched_marker_ids.push_back(kod);
      }
    }
    for (int32_t ini_id : animals) {
      if (!std::binary_search(kods.begin(), kods.end(), ini_id)) {
        run_.animals_without_marker.push_back(ini_id);
      }
    }
    run_.markers_checked = true;
  }
  void ParentCopyMade(const ParentCopyEvent& copy) override {
    run_.parent_copies.push_back(
        {copy.family, copy.copy, copy.original, copy.ini_id, copy.made_for, 0});
    parent_family_index_.push_back(copy.family_index);
    if (copy.family_index >= 1 && copy.family_index <= static_cast<int32_t>(run_.families.size())) {
      ++run_.families[static_cast<std::size_t>(copy.family_index - 1)].parent;
    }
  }

  // The copies in ped.dat's numbers and positions when the run finished, else as made.
  void Finish(const PedigreeStore& store, bool finished) {
    for (std::size_t k = 0; k < run_.parent_copies.size(); ++k) {
      const int s = parent_family_index_[k];
      if (s < 1 || s > store.NumFamilies()) continue;
      for (int p = store.FamilyFirst(s); p <= store.FamilyLast(s); ++p) {
        if (store.MAS[p][1] == run_.parent_copies[k].copy) run_.parent_copies[k].position = p;
      }
    }
    const int ns = static_cast<int>(ins_.size()) - 3;
    finished = finished && ns == store.NumFamilies();
    for (const LoopCopyEvent& e : loops_) {
      LoopCopy copy{e.family, e.copy, e.copied, e.ini_id, e.father, e.mother, 0, 0};
      if (finished && e.family_index >= 1 && e.family_index <= ns) {
        const int shift = store.INS[e.family_index + 1] - ins_[e.family_index + 1];
        auto number = [&](int32_t position) -> int32_t {
          return position == 0 ? 0 : store.MAS[position + shift][1];
        };
        copy.copy_position = e.copy_position + shift;
        copy.original_position = e.copied_position + shift;
        copy.copy = number(e.copy_position);
        copy.original = number(e.copied_position);
        copy.father = number(e.father_position);
        copy.mother = number(e.mother_position);
      }
      run_.loop_copies.push_back(copy);
    }
    if (!finished) return;
    for (int s = 1; s <= ns; ++s) {
      run_.families[static_cast<std::size_t>(s - 1)].rows =
          store.FamilyLast(s) - store.FamilyFirst(s) + 1;
    }
  }

 private:
  ObservedRun& run_;
  std::vector<LoopCopyEvent> loops_;
  std::vector<int16_t> ins_;                  // INS when the structure analysis ended
  std::vector<int32_t> parent_family_index_;  // s of INS of each parent copy
};

// ids.csv read strictly; its first fault throws InputError (read of ids.csv, the line).
IdTable ReadIds(FileSystem& folder) {
  std::string text;
  if (!folder.ReadFile(kIdsFile, &text)) return {};
  std::vector<IdsProblem> problems;
  IdTable ids = ParseIdsCsv(text, &problems);
  if (!problems.empty())
    throw InputError("read", kIdsFile, problems[0].line, problems[0].problem, "");
  return ids;
}

}  // namespace

std::unique_ptr<ObservedRun> ObserveRun(FileSystem& folder) {
  auto observed = std::make_unique<ObservedRun>();
  ObservedRun& o = *observed;
  o.ids = ReadIds(folder);
  o.files = std::make_unique<ReadOnlyFileSystem>(folder);
  o.run = std::make_unique<RunContext>(o.console, *o.files, o.shell);
  o.run->batch = true;
  o.run->write_outputs = false;
  Collector collector(o);
  o.run->observer = &collector;

  o.status = RunPedprep(*o.run);
  o.run->observer = nullptr;

  collector.Finish(o.run->store, o.status == kExitSuccess);
  if (o.status != kExitInputError)
    o.records_after_count = PassportRecordsAfterData(folder, kPassportFile);
  return observed;
}

FamilyCounts TotalCounts(const std::vector<FamilyCounts>& families) {
  FamilyCounts total;
  for (const FamilyCounts& f : families) {
    total.read += f.read;
    total.loop += f.loop;
    total.parent += f.parent;
    total.rows += f.rows;
  }
  return total;
}

bool RunFinishes(FileSystem& folder) {
  try {
    return ObserveRun(folder)->status == kExitSuccess;
  } catch (const InputError&) {
    return false;
  }
}

std::optional<int32_t> ObservedRun::BirthYear(int32_t ini_id) const {
  auto it = ids.find(ini_id);
  if (it == ids.end()) return std::nullopt;
  const std::string& year = it->second.born;
  int32_t value = 0;
  const auto [end, fault] = std::from_chars(year.data(), year.data() + year.size(), value);
  if (year.empty() || fault != std::errc() || end != year.data() + year.size()) return std::nullopt;
  return value;
}

bool ObservedRun::HasBirthYears() const {
  return std::any_of(ids.begin(), ids.end(),
                     [](const auto& row) { return !row.second.born.empty(); });
}

std::unique_ptr<ObservedRun> ObserveRunOrReport(FileSystem& folder, std::ostream& err) {
  std::unique_ptr<ObservedRun> run;
  try {
    run = ObserveRun(folder);
  } catch (const InputError& error) {
    err << error.Report() << "\n";
    return nullptr;
  }
  if (run->status == kExitInputError) {
    err << run->input_error->Report() << "\n";
    return nullptr;
  }
  return run;
}

}  // namespace pedprep
