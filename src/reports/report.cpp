#include "reports/report.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "core/pedigree_store.h"
#include "core/run_files.h"
#include "driver/run_driver.h"
#include "figures/animal_table.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "reading/stop_explanation.h"
#include "records/csv.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "records/input_folder.h"
#include "records/text_table.h"

namespace pedprep {
namespace {

constexpr std::size_t kMaxListed = 20;  // ids listed in a line of the silent pass-overs

std::string Str(long v) { return std::to_string(v); }

std::string IdList(const std::vector<int32_t>& values, const IdTable* ids, const ObservedRun& run) {
  std::string text;
  for (std::size_t k = 0; k < values.size() && k < kMaxListed; ++k) {
    text += (k == 0 ? "" : ", ") + std::to_string(values[k]);
    if (ids != nullptr && !ShownId(run, values[k]).empty())
      text += " (" + ShownId(run, values[k]) + ")";
  }
  if (values.size() > kMaxListed) text += ", ...";
  return text;
}

// A copy's store position; "" when the run stopped before the copies got their places.
std::string Position(int32_t position) { return position == 0 ? "" : Str(position); }

void WriteCsv(const ObservedRun& run, std::ostream& out) {
  out << CsvLine({"kind", "family", "copy", "position", "original", "ini_id", "id"});
  for (const LoopCopy& c : run.loop_copies) {
    out << CsvLine({"loop", Str(c.family), Str(c.copy), Position(c.copy_position), Str(c.original),
                    Str(c.ini_id), run.Id(c.ini_id)});
  }
  for (const ParentCopy& c : run.parent_copies) {
    out << CsvLine({"parent", Str(c.family), Str(c.copy), Position(c.position), Str(c.original),
                    Str(c.ini_id), run.Id(c.ini_id)});
  }
}

// Per family over the animals read (copies left out): mean and largest inbreeding, and the
// mean breed composition when the blood step ended.
void WriteFamilyAncestry(const RunFacts& facts, std::ostream& out) {
  const std::vector<FamilyFigures>& families = facts.PerFamily();
  if (families.empty()) return;
  const std::vector<std::string>& breeds = facts.Animals()->breeds;
  const bool fractions = !facts.run().blood_rows.empty();
  const auto fixed = [](double value, int decimals) {
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(decimals);
    text << (value < 0.5e-6 ? 0.0 : value);
    return text.str();
  };
  out << "\nInbreeding and breed composition per family (animals read, dummy parents left out";
  if (!fractions) out << "; no breed fractions: the run stops before the blood step ends";
  out << ")\n";
  std::vector<std::string> header = {"family", "animals", "mean F", "max F"};
  if (fractions) header.insert(header.end(), breeds.begin(), breeds.end());
  Table table(header, std::vector<bool>(header.size(), false));
  for (const FamilyFigures& f : families) {
    std::vector<std::string> row = {Str(f.family), Grouped(f.animals), f.mean_f, f.max_f};
    if (fractions) {
      for (double mean : f.fractions) row.push_back(fixed(mean, 4));
    }
    table.Add(std::move(row));
  }
  table.Print(out);
}

// The outcome, and the counts per family.
void WriteOutcome(const RunFacts& facts, std::ostream& out) {
  const ObservedRun& run = facts.run();
  const FamilyCounts total = TotalCounts(run.families);
  if (facts.StopText().empty()) {
    out << "The run finishes: ped.dat holds " << Grouped(total.rows) << " rows.\n";
  } else {
    out << "The run stops: " << facts.StopText() << ".\n";
    if (!run.loop_copies.empty()) {
      out << "Numbers below are those of the loop breaking; ped.dat is not written.\n";
    }
    out << facts.WayForward();
  }
  if (run.families.empty()) return;
  out << "\nFamilies" << (run.structure_done ? "" : " (as far as the loop breaking came)") << "\n";
  Table table({"family", "animals read", "loop-break copies", "parent copies", "rows"},
              {false, false, false, false, false});
  for (const FamilyCounts& f : run.families) {
    table.Add(
        {Str(f.family), Grouped(f.read), Grouped(f.loop), Grouped(f.parent), Grouped(f.rows)});
  }
  table.Add({"total", Grouped(total.read), Grouped(total.loop), Grouped(total.parent),
             Grouped(total.rows)});
  table.Print(out);
}

// The loop-break copies, then the copies per copied animal.
void WriteLoopCopies(const ObservedRun& run, std::ostream& out) {
  out << "\nLoop-break copies: " << Grouped(static_cast<long>(run.loop_copies.size())) << "\n";
  if (run.loop_copies.empty()) return;
  Table table(
      {"family", "copy", "position", "original", "ini_id", "given to the children of", "id"},
      {false, false, false, false, false, true, true});
  std::map<std::pair<int32_t, int32_t>, int> per_original;
  std::vector<std::pair<int32_t, int32_t>> order;
  std::map<std::pair<int32_t, int32_t>, int32_t> original_ini;
  for (const LoopCopy& c : run.loop_copies) {
    table.Add({Str(c.family), Str(c.copy), Position(c.copy_position), Str(c.original),
               Str(c.ini_id), "father " + Str(c.father) + ", mother " + Str(c.mother),
               ShownId(run, c.ini_id)});
    const auto key = std::make_pair(c.family, c.original);
    if (per_original[key]++ == 0) order.push_back(key);
    original_ini[key] = c.ini_id;
  }
  table.Print(out);
  out << "\nCopies per copied animal: " << Grouped(static_cast<long>(order.size())) << " animals\n";
  Table counts({"family", "original", "ini_id", "copies", "id"},
               {false, false, false, false, true});
  for (const auto& key : order) {
    counts.Add({Str(key.first), Str(key.second), Str(original_ini[key]), Str(per_original[key]),
                ShownId(run, original_ini[key])});
  }
  counts.Print(out);
}

// The parent copies, the capacities used, and what the run passes over in silence.
void WriteParentCopiesAndLimits(const ObservedRun& run, std::ostream& out) {
  out << "\nParent copies of the reconstruction: "
      << Grouped(static_cast<long>(run.parent_copies.size())) << "\n";
  if (!run.parent_copies.empty()) {
    Table table({"family", "copy", "position", "original", "ini_id", "made for", "id"},
                {false, false, false, false, false, false, true});
    for (const ParentCopy& c : run.parent_copies) {
      table.Add({Str(c.family), Str(c.copy), Position(c.position), Str(c.original), Str(c.ini_id),
                 Str(c.made_for), ShownId(run, c.ini_id)});
    }
    table.Print(out);
  }

  out << "\nCapacities used\n";
  Table capacity({"", "used", "of"}, {true, false, false});
  const int32_t rows = run.families.empty() ? run.animals_read : TotalCounts(run.families).rows;
  capacity.Add({"rows", Grouped(rows), Grouped(kMaxRows)});
  capacity.Add({"loop-break copies", Grouped(static_cast<long>(run.loop_copies.size())),
                Grouped(kMaxBreaks)});
  capacity.Add(
      {"families", Grouped(static_cast<long>(run.families.size())), Grouped(kMaxFamilies)});
  capacity.Print(out);

  out << "\nPassed over in silence\n";
  out << "  PEDIGREE.PRN records after the header's count (not read): "
      << Grouped(run.records_after_count) << "\n";
  if (run.markers_checked) {
    out << "  marker records whose identifier matches no animal: "
        << Grouped(static_cast<long>(run.unmatched_marker_ids.size()));
    if (!run.unmatched_marker_ids.empty())
      out << " (identifiers " << IdList(run.unmatched_marker_ids, nullptr, run) << ")";
    out << "\n  animals without a marker record: "
        << Grouped(static_cast<long>(run.animals_without_marker.size()));
    if (!run.animals_without_marker.empty())
      out << " (ini_id " << IdList(run.animals_without_marker, &run.ids, run) << ")";
    out << "\n";
  } else {
    out << "  markers: not matched, the run stops before\n";
  }
}

// `founders`: the founders section, after the inbreeding per family.
void WriteText(const RunFacts& facts, const std::string& founders, std::ostream& out) {
  WriteOutcome(facts, out);
  WriteFamilyAncestry(facts, out);
  out << founders;
  WriteLoopCopies(facts.run(), out);
  WriteParentCopiesAndLimits(facts.run(), out);
}

// The founders section; false, with the problem on `err`, when the reference population
// cannot be chosen.
bool WriteFounders(const RunFacts& facts, const ReferenceChoice& reference, std::ostream& out,
                   std::ostream& err) {
  PopulationFigures figures;
  const std::string problem = ComputePopulation(facts, reference, &figures);
  if (!problem.empty()) {
    err << "pedprep report: " << problem << "\n";
    return false;
  }
  WriteFoundersSection(facts, figures, out);
  return true;
}

}  // namespace

int RunReportCheck(FileSystem& folder) { return RunFinishes(folder) ? kExitSuccess : kExitStopped; }

int RunReport(const RunFacts& facts, bool csv, std::ostream& out, std::ostream& err,
              const ReferenceChoice& reference) {
  std::ostringstream text;
  if (csv) {
    WriteCsv(facts.run(), text);
    if (facts.run().status != kExitSuccess)
      err << "pedprep report: the run stops: " << facts.StopText() << "\n";
  } else {
    if (facts.AnimalsOrFault("report", err) == nullptr) return kExitInternal;
    std::ostringstream founders;
    if (!WriteFounders(facts, reference, founders, err)) return kExitStopped;
    WriteText(facts, founders.str(), text);
  }
  out << text.str();
  return kExitSuccess;
}

}  // namespace pedprep
