#include "reports/founders_report.h"

#include <algorithm>
#include <map>
#include <set>

#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/escape.h"
#include "records/id_list.h"
#include "records/text_table.h"

namespace pedprep {
namespace {

constexpr std::size_t kLargestShown = 3;

std::string Figure(const std::optional<double>& value, int decimals, const char* why) {
  return value ? FixedDecimals(*value, decimals) : std::string("not available (") + why + ")";
}

// The reference flags by animal read, or the problem.
std::string ChooseReference(const RunFacts& facts, const ReferenceChoice& choice,
                            std::vector<bool>* reference, std::string* words) {
  const ObservedRun& run = facts.run();
  const AnimalTable& table = *facts.Animals();
  const std::size_t n = table.links.size();
  reference->assign(n, false);
  long count = 0;
  const auto take = [&](const AnimalRow& row) {
    const auto a = static_cast<std::size_t>(row.source - 1);
    if (!(*reference)[a]) ++count;
    (*reference)[a] = true;
  };
  if (!choice.file_name.empty()) {
    const AnimalLookup& lookup = facts.Lookup();
    std::vector<std::string> unknown;
    for (const ListedId& listed : ParseIdList(choice.file_text)) {
      const AnimalRow* row = lookup.Find(listed.id);
      if (row == nullptr || row->dummy) {
        unknown.push_back("line " + std::to_string(listed.line) + ": " +
                          EscapeControlBytes(CutForMessage(listed.id)) +
                          (row == nullptr ? lookup.NearestNote(listed.id) : ""));
      } else if (row->has_figures) {
        take(*row);
      }
    }
    if (!unknown.empty()) {
      std::string text = choice.file_name + " names no animal read (a herd-book id of ids.csv " +
                         "or FAMILY:INDIVIDUAL) at ";
      for (std::size_t k = 0; k < unknown.size() && k < 10; ++k) {
        text += (k == 0 ? "" : ", ") + unknown[k];
      }
      if (unknown.size() > 10)
        text += " and " + CountText(static_cast<long long>(unknown.size() - 10)) + " more";
      return text;
    }
    *words = "the " + Counted(count, "animal", "animals") + " of " + choice.file_name;
    return "";
  }
  if (choice.born_from) {
    if (!run.HasBirthYears()) {
      return "ids.csv gives no year of birth (its column born), so --reference-born-from "
             "cannot choose";
    }
    for (const AnimalRow& row : table.rows) {
      const std::optional<int32_t> year = run.BirthYear(row.ini_id);
      if (row.copy_of == 0 && !row.dummy && row.has_figures && year && *year >= *choice.born_from) {
        take(row);
      }
    }
    *words = "the " + Counted(count, "animal", "animals") + " born in " +
             std::to_string(*choice.born_from) + " or later";
    return "";
  }
  for (const AnimalRow& row : table.rows) {
    if (row.copy_of != 0 || row.dummy || !row.has_figures) continue;
    const ParentLinks& link = table.links[static_cast<std::size_t>(row.source - 1)];
    const auto known = [&table](int32_t p) {
      return p != kUnknownParent && !table.dummy[static_cast<std::size_t>(p)];
    };
    if (known(link.father) && known(link.mother)) take(row);
  }
  *words = "the " + Counted(count, "animal", "animals") + " with both parents known";
  return "";
}

std::string AnimalName(const ObservedRun& run, const AnimalRow& row) {
  const std::string id = run.Id(row.ini_id);
  return id.empty() ? "ini_id " + std::to_string(row.ini_id) : EscapeControlBytes(id);
}

}  // namespace

std::string ComputePopulation(const RunFacts& facts, const ReferenceChoice& choice,
                              PopulationFigures* figures) {
  const ObservedRun& run = facts.run();
  const AnimalTable& table = *facts.Animals();
  std::vector<bool> reference;
  const std::string problem = ChooseReference(facts, choice, &reference, &figures->reference);
  if (!problem.empty()) return problem;
  figures->members = reference;
  // A family is a run of data lines with one family number.
  const AnimalLookup& lookup = facts.Lookup();
  const auto n = static_cast<int32_t>(table.links.size());
  std::vector<FounderFigures> groups;
  for (int32_t first = 0; first < n;) {
    const AnimalRow* row = lookup.AtLine(first + 1);
    const int32_t family = row == nullptr ? 0 : row->family;
    int32_t last = first + 1;
    while (last < n && lookup.AtLine(last + 1) != nullptr &&
           lookup.AtLine(last + 1)->family == family) {
      ++last;
    }
    groups.push_back(ComputeFounderFigures(table.links, table.dummy, table.figures, reference,
                                           first, last, choice.conventions));
    figures->families.emplace_back(family, groups.back());
    first = last;
  }
  figures->overall = Combine(groups);
  figures->conventions = choice.conventions;
  figures->parents_cut = 0;
  for (const AnimalRow& row : table.rows) {
    const auto it = run.ids.find(row.ini_id);
    if (row.copy_of == 0 && it != run.ids.end() && !it->second.parents_cut.empty()) {
      ++figures->parents_cut;
    }
  }
  return "";
}

void WriteOverallFigures(const FounderFigures& f, std::ostream& out) {
  const char* empty = "the reference population is empty";
  out << "founders: " << f.founders << "\n";
  out << "mean equivalent complete generations: "
      << (f.reference == 0 ? std::string("not available (") + empty + ")"
                           : FixedDecimals(f.MeanEcg(), 4))
      << "\n";
  out << "effective number of founders: " << Figure(f.Fe(), 2, empty) << "\n";
  out << "effective number of ancestors: " << Figure(f.Fa(), 2, empty) << "\n";
  out << "effective population size: "
      << Figure(f.Ne(), 2,
                f.delta_f_animals == 0
                    ? "no reference animal has more than one equivalent complete generation"
                    : "the reference animals' inbreeding does not rise")
      << "\n";
}

void WriteCautions(const PopulationFigures& figures, std::ostream& out) {
  constexpr int32_t kFewAnimals = 20;
  constexpr double kShallow = 2.0;
  const FounderFigures& f = figures.overall;
  if (f.reference == 0) return;
  if (f.MeanEcg() < kShallow) {
    out << "caution: the mean equivalent complete generations are below "
        << FixedDecimals(kShallow, 0) << " (a shallow pedigree): fe, fa and Ne say little\n";
  }
  if (f.reference < kFewAnimals) {
    out << "caution: the reference population holds " << Counted(f.reference, "animal", "animals")
        << ", fewer than " << kFewAnimals << "\n";
  }
  if (figures.parents_cut > 0) {
    out << "caution: the import's selection (--keep, --born-from, --born-to with --generations "
        << "or --descendants) left out the parents of "
        << Counted(figures.parents_cut, "animal", "animals")
        << " (ids.csv column parents_cut): ecg and the founder figures count only the ancestry "
        << "kept\n";
  }
}

std::vector<BreedContribution> ContributionsByBreed(const RunFacts& facts,
                                                    const FounderFigures& figures) {
  const ObservedRun& run = facts.run();
  const AnimalTable& table = *facts.Animals();
  const AnimalLookup& lookup = facts.Lookup();
  std::map<int32_t, BreedContribution> by_code;  // -1: the phantom parents
  std::map<int32_t, std::vector<std::pair<double, std::string>>> named;
  for (const FounderShare& share : figures.shares) {
    const AnimalRow* row = lookup.AtLine(share.animal + 1);
    if (row == nullptr) continue;
    const int32_t code = share.phantom ? -1 : row->breed_code;
    BreedContribution& entry = by_code[code];
    if (entry.breed.empty()) {
      entry.breed = code == -1 ? "unknown parent"
                    : code >= 1 && static_cast<std::size_t>(code) <= table.breeds.size()
                        ? table.breeds[static_cast<std::size_t>(code - 1)]
                        : "breed code " + std::to_string(code);
    }
    ++entry.founders;
    entry.contribution += share.p;
    named[code].emplace_back(share.p, AnimalName(run, *row));
  }
  std::vector<BreedContribution> breeds;
  for (auto& [code, entry] : by_code) {
    auto& list = named[code];
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t k = 0; k < list.size() && k < kLargestShown; ++k) {
      entry.largest.emplace_back(list[k].second, list[k].first);
    }
    if (code != -1) breeds.push_back(std::move(entry));
  }
  if (by_code.count(-1) != 0) breeds.push_back(std::move(by_code[-1]));
  return breeds;
}

void WriteFoundersSection(const RunFacts& facts, const PopulationFigures& figures,
                          std::ostream& out) {
  const FounderFigures& all = figures.overall;
  out << "\nFounders (reference population: " << figures.reference << ")\n";
  WriteOverallFigures(all, out);
  WriteCautions(figures, out);
  if (all.reference == 0) return;
  if (all.half_founders > 0) {
    out << "  " << Counted(all.half_founders, "animal", "animals")
        << " with one parent unknown (a dummy "
        << "parent counts as unknown) ";
    if (figures.conventions.half_founders == HalfFounders::kRescale) {
      out << "give" << (all.half_founders == 1 ? "s" : "")
          << " that parent no share; the founders' contributions are rescaled to add up to 1.\n";
    } else {
      out << "stand" << (all.half_founders == 1 ? "s" : "")
          << " for that parent as a founder of its own.\n";
    }
  }
  Table families({"family", "reference", "founders", "mean ecg", "fe", "fa", "Ne"}, {});
  for (const auto& [family, f] : figures.families) {
    if (f.reference == 0) continue;
    const auto shown = [](const std::optional<double>& v) {
      return v ? FixedDecimals(*v, 2) : std::string();
    };
    families.Add({std::to_string(family), std::to_string(f.reference), std::to_string(f.founders),
                  FixedDecimals(f.MeanEcg(), 4), shown(f.Fe()), shown(f.Fa()), shown(f.Ne())});
  }
  out << "\n";
  families.Print(out);

  Table breeds({"breed", "founders", "contribution", "largest contributions"},
               {true, false, false, true});
  for (const BreedContribution& breed : ContributionsByBreed(facts, all)) {
    std::string largest;
    for (const auto& [name, p] : breed.largest) {
      largest += (largest.empty() ? "" : ", ") + name + " " + FixedDecimals(p, 4);
    }
    breeds.Add(
        {breed.breed, CountText(breed.founders), FixedDecimals(breed.contribution, 4), largest});
  }
  out << "\n";
  breeds.Print(out);
}

}  // namespace pedprep
