#include "reading/stop_explanation.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "core/pedigree_store.h"
#include "core/run_files.h"
#include "driver/run_driver.h"
#include "reading/observed_run.h"
#include "records/escape.h"
#include "records/input_folder.h"
#include "records/text_table.h"

namespace pedprep {
namespace {

constexpr std::size_t kMaxListed = 20;  // findings and passport records listed

// The animal at passport data line i: "animal 5 of family 1 (ini_id 5, id DE05)".
std::string AnimalAtLine(const ObservedRun& run, long i) {
  const PedigreeStore& st = run.run->store;
  if (i < 1 || i > kMaxRows) return "data line " + std::to_string(i);
  const auto p = static_cast<std::size_t>(i);
  std::string text = "animal " + std::to_string(st.MAS[p][1]) + " of family " +
                     std::to_string(st.MAS0[p]) + " (data line " + std::to_string(i);
  // A record that stops the reading has no ini_id yet.
  if (st.INI_ID[p] != 0) text += ", ini_id " + std::to_string(st.INI_ID[p]);
  const std::string id = st.INI_ID[p] == 0 ? "" : ShownId(run, st.INI_ID[p]);
  return text + (id.empty() ? "" : ", id " + id) + ")";
}

// The animal numbered `number` in family s (INS index) as the store holds it.
std::string AnimalInFamily(const ObservedRun& run, long s, long number) {
  const PedigreeStore& st = run.run->store;
  std::string text = "animal " + std::to_string(number) + " of family " + std::to_string(s);
  if (s < 1 || s > st.NumFamilies()) return text;
  for (int p = st.FamilyFirst(static_cast<int>(s)); p <= st.FamilyLast(static_cast<int>(s)); ++p) {
    if (st.MAS[p][1] != number) continue;
    const std::string id = ShownId(run, st.INI_ID[p]);
    return text + " (ini_id " + std::to_string(st.INI_ID[p]) + (id.empty() ? "" : ", id " + id) +
           ")";
  }
  return text;
}

std::string Joined(const std::vector<std::string>& parts, std::size_t most) {
  std::string text;
  for (std::size_t k = 0; k < parts.size() && k < most; ++k)
    text += (k == 0 ? "" : "; ") + parts[k];
  if (parts.size() > most) text += "; and " + std::to_string(parts.size() - most) + " more";
  return text;
}

// The passport checks' findings, in plain words; consecutive repeats told once.
std::string PassportCheckFindings(const ObservedRun& run,
                                  const std::vector<PassportFinding>& found) {
  std::vector<std::string> findings;
  for (const PassportFinding& f : found) {
    const std::string family = " of family " + std::to_string(f.family_index);
    switch (f.kind) {
      case PassportFinding::Kind::kFamilyNumber:
        findings.push_back("data line " + std::to_string(f.position) + " is not numbered family " +
                           std::to_string(f.family_index) + " as its place says");
        break;
      case PassportFinding::Kind::kNumeration:
        findings.push_back("member " + std::to_string(f.member) + family +
                           " carries individual number " + std::to_string(f.number) +
                           " (numbers must run 1, 2, 3, ...)");
        break;
      case PassportFinding::Kind::kFatherNumber:
      case PassportFinding::Kind::kMotherNumber:
        findings.push_back("member " + std::to_string(f.member) + family +
                           " names a parent number beyond the family");
        break;
      case PassportFinding::Kind::kSexCode:
        findings.push_back(AnimalInFamily(run, f.family_index, f.number) +
                           " has a sex code other than 1 or 2");
        break;
      case PassportFinding::Kind::kSexRole:
        findings.push_back(AnimalInFamily(run, f.family_index, f.number) +
                           " is a parent in the role of the other sex");
        break;
    }
  }
  findings.erase(std::unique(findings.begin(), findings.end()), findings.end());
  return Joined(findings, kMaxListed);
}

// An animal by herd-book id when it has one, else by number and family.
std::string AnimalName(const ObservedRun& run, int position) {
  const PedigreeStore& st = run.run->store;
  const std::string id = ShownId(run, st.INI_ID[position]);
  return id.empty() ? "animal " + std::to_string(st.MAS[position][1]) + " of family " +
                          std::to_string(st.MAS0[position])
                    : id;
}

// One ancestry cycle among the animals whose breed fractions were not found (every such
// animal is on a cycle or descends from one), ancestor first; empty when none is found.
std::vector<int> AncestryCycle(const ObservedRun& run, const std::vector<int32_t>& open) {
  const PedigreeStore& st = run.run->store;
  const std::set<int> unresolved(open.begin(), open.end());
  auto position_of = [&](int from, int16_t number) {
    for (int p = st.FamilyFirst(1); p <= std::min(st.ND, kMaxRows); ++p) {
      if (st.MAS0[p] == st.MAS0[from] && st.MAS[p][1] == number && unresolved.count(p)) return p;
    }
    return 0;
  };
  std::vector<int> walk;  // child, then a parent of it, ...
  std::map<int, std::size_t> seen;
  int p = open.empty() ? 0 : open.front();
  while (p != 0 && seen.emplace(p, walk.size()).second) {
    walk.push_back(p);
    const int father = position_of(p, st.MAS[p][2]);
    p = father != 0 ? father : position_of(p, st.MAS[p][3]);
  }
  if (p == 0) return {};
  std::vector<int> cycle(walk.begin() + static_cast<long>(seen[p]), walk.end());
  std::reverse(cycle.begin(), cycle.end());
  cycle.push_back(cycle.front());
  return cycle;
}

// The passport file's data line i as it stands in the file ("" when it cannot be read).
std::string PassportLine(const ObservedRun& run, int i) {
  std::string text;
  if (!run.files->ReadFile(kPassportFile, &text)) return "";
  return PassportDataLine(text, i);
}

// What the user can do about the stop, from its reason; nothing for a run that finishes.
void WriteWayForward(const ObservedRun& run, std::ostream& out) {
  if (!run.stop) return;
  const StopReason& reason = *run.stop;
  std::vector<int> records;
  switch (reason.kind) {
    case StopKind::kHeaderTooManyAnimals:
    case StopKind::kLoopCopyRows:
    case StopKind::kLoopCopyLimit:
    case StopKind::kParentCopyRows:
    case StopKind::kQueueOverflow: {
      out << "\nWhat to do\n";
      long needed = 0, animals = 0;
      for (const FamilyNeed& f : run.needs) {
        needed += f.copies;
        animals += f.animals;
      }
      out << "  The run makes at most " << Grouped(kMaxBreaks) << " loop-break copies and holds "
          << "at most " << Grouped(kMaxRows) << " rows\n  (animals and copies).";
      if (!run.needs.empty()) {
        out << " The " << Grouped(animals) << " animals as read need at least " << Grouped(needed)
            << " copies;\n  the families that need the most:\n";
        std::vector<FamilyNeed> most = run.needs;
        std::stable_sort(most.begin(), most.end(), [](const FamilyNeed& a, const FamilyNeed& b) {
          return a.copies > b.copies;
        });
        std::size_t shown = 0;
        while (shown < most.size() && shown < 5 && most[shown].copies > 0) ++shown;
        most.resize(shown);
        Table table({"family", "animals", "copies needed"}, {false, false, false});
        for (const FamilyNeed& f : most)
          table.Add({std::to_string(f.family), Grouped(f.animals), Grouped(f.copies)});
        table.Print(out);
      } else {
        out << "\n";
      }
      out << "  Import a smaller part of the herd book: pedprep import HERDBOOK --keep FILE "
             "--generations N\n  keeps the animals listed in FILE (one id a line) and N "
             "generations "
             "of their ancestors;\n  fewer generations cut the most loops.\n";
      return;
    }
    case StopKind::kUnresolvedBlood: {
      const std::vector<int> cycle = AncestryCycle(run, reason.positions);
      if (cycle.empty()) return;
      out << "\nWhat to do\n  An animal is its own ancestor: ";
      for (std::size_t k = 0; k < cycle.size(); ++k) {
        out << (k == 0 ? "" : " -> ") << AnimalName(run, cycle[k]);
      }
      out << " (each a parent of the next).\n  Correct the parents of one of them in the herd "
             "book.\n";
      return;
    }
    case StopKind::kPassportErrors:
      for (const PassportFinding& f : reason.findings) {
        if (std::find(records.begin(), records.end(), f.position) == records.end()) {
          records.push_back(f.position);
        }
      }
      break;
    case StopKind::kOneParentKnown:
    case StopKind::kBreedZeroWithoutParents:
    case StopKind::kFamilyNumbering:
      records.push_back(reason.line);
      break;
    default:
      return;
  }
  out << "\nWhat to do\n  Correct these records of PEDIGREE.PRN (family, individual, father, "
         "mother, breed, sex, ini_id):\n";
  for (std::size_t k = 0; k < records.size() && k < kMaxListed; ++k) {
    out << "    data line " << records[k] << ": \"" << PassportLine(run, records[k]) << "\"\n";
  }
  if (records.size() > kMaxListed) out << "    and " << records.size() - kMaxListed << " more\n";
}

}  // namespace

std::string ShownId(const ObservedRun& run, int32_t ini_id) {
  return EscapeControlBytes(run.Id(ini_id));
}

std::string Grouped(long value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  std::string text = value < 0 ? "-" : "";
  for (std::size_t k = 0; k < digits.size(); ++k) {
    if (k > 0 && (digits.size() - k) % 3 == 0) text.push_back(',');
    text.push_back(digits[k]);
  }
  return text;
}

std::string StopExplanation(const ObservedRun& run) {
  if (run.status == kExitSuccess) return "";
  if (run.status == kExitInputError) return run.input_error->Report();
  const StopReason reason = run.stop.value_or(StopReason{});
  const std::string family = "family " + std::to_string(reason.family);
  const std::string animal =
      reason.line > 0 ? AnimalAtLine(run, reason.line) : std::string("an animal");
  switch (reason.kind) {
    case StopKind::kHeaderTooManyAnimals:
      return "the passport file counts more than 24,096 animals";
    case StopKind::kHeaderNoAnimals:
      return "the passport file's header counts no animals";
    case StopKind::kHeaderBreeds:
      return "the passport file's header counts more than 10 breeds (or fewer than 0)";
    case StopKind::kOneParentKnown:
      return "a passport error: " + animal + " has one parent known and the other unknown";
    case StopKind::kBreedZeroWithoutParents:
      return "a passport error: " + animal + " has breed 0 but unknown parents";
    case StopKind::kFamilyNumbering:
      return "a passport error: the family numbers must run 1, 2, 3, ... in file order; data "
             "line " +
             std::to_string(reason.line) + " breaks the run";
    case StopKind::kTooManyFamilies:
      return "the passport file holds more than 2,600 families";
    case StopKind::kPassportErrors:
      return "the passport check finds errors: " + PassportCheckFindings(run, reason.findings);
    case StopKind::kUnresolvedBlood: {
      std::vector<std::string> animals;
      for (int32_t line : reason.positions) animals.push_back(AnimalAtLine(run, line));
      return "the blood step finds no breed fractions for an animal that is its own ancestor, or "
             "descends from one: " +
             Joined(animals, kMaxListed);
    }
    case StopKind::kQueueOverflow:
      return "the loop search's queue of 24,096 entries overflows in " + family;
    case StopKind::kSearchExhausted:
    case StopKind::kBackLinkExhausted:
      return "the loop search finds no loop to break in " + family +
             ", although the family does not peel";
    case StopKind::kNoLoopAtParent:
      return "the loop search runs out of places to break a loop in " + family;
    case StopKind::kIndividualNotFound:
      return "the loop breaking would copy individual " + std::to_string(reason.number) +
             ", who is no member of " + family;
    case StopKind::kLoopCopyRows:
      return "the loop-break copies would take the pedigree past 24,096 rows, in " + family;
    case StopKind::kLoopCopyLimit:
      return "the loop breaking reaches the limit of 4,096 copies in " + family;
    case StopKind::kCrossOverflow:
      return "a nuclear family of " + family + " has more than 300 children";
    case StopKind::kIncorrectMode:
    case StopKind::kNothingToDo:
    case StopKind::kUnknown:
      return "the run stops without a reason of its own";
    case StopKind::kParentCopyRows:
      return "the parent copies of the reconstruction would take the pedigree past 24,096 rows";
    case StopKind::kNoCopySource:
      return "the reconstruction finds no source row for a copy";
    case StopKind::kMarkerDefinition:
      return "the marker definition is out of range: DEF.DAT's value to take (record 5) or "
             "database/markers.dat's values per record";
  }
  return "the run stops without a reason of its own";
}

std::string WayForwardText(const ObservedRun& run) {
  std::ostringstream text;
  WriteWayForward(run, text);
  return text.str();
}

}  // namespace pedprep
