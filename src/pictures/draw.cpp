#include "pictures/draw.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "core/exit_status.h"
#include "core/output_guard.h"
#include "core/run_files.h"
#include "figures/inbreeding.h"
#include "figures/run_facts.h"
#include "pictures/dot_writer.h"
#include "reading/family_view.h"
#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/escape.h"
#include "records/input_error.h"
#include "records/input_folder.h"

namespace pedprep {
namespace {

// What the title says about a stopped run for family index `s`.
std::string StopNote(const RunFacts& facts, int s) {
  const ObservedRun& run = facts.run();
  if (run.status == kExitSuccess) return "";
  std::string note = "The run stops: " + facts.StopText() + ".";
  const StopStage stage = StageOf(run);
  const int stopped_at = run.stop ? run.stop->family_index : 0;
  if (stage == StopStage::kAsRead || (stage == StopStage::kStructure && s > stopped_at)) {
    note += " This family is drawn as read.";
  } else if (stage == StopStage::kStructure && s == stopped_at) {
    note += " This family is drawn as the run left it, with the copies made so far.";
  } else {
    note += " This family is drawn as the run left it.";
  }
  return note;
}

// A breed share as a whole percentage: "100%" only for all of it, never "0%" for a part.
std::string ShareText(double share) {
  if (share >= 0.99995) return "100%";
  const long percent = std::clamp(std::lround(share * 100), 1L, 99L);
  return std::to_string(percent) + "%";
}

// Why a request draws nothing: the exit status and the line for standard error.
struct Refusal {
  int status = kExitStopped;
  std::string message;  // after "pedprep draw: "
};

// What a request names in the store: a family (index s of INS) and in it the animal of
// --around or the loop-break copy of --copy.
struct Target {
  int s = 0;
  int32_t center = 0;       // --around: the animal's number
  std::size_t which = 0;    // --copy: index of the family's loop-break copies
  int32_t parent_copy = 0;  // --copy: the number of a parent copy instead
};

std::optional<Refusal> FindFamily(const ObservedRun& run, const std::string& text, Target* target) {
  int32_t family = 0;
  const PedigreeStore& st = run.run->store;
  if (ParseWholeNumber(text, &family)) target->s = FamilyIndex(st, family);
  if (target->s != 0) return std::nullopt;
  return Refusal{kExitStopped,
                 "no family " + text + "; families are 1.." + std::to_string(st.NumFamilies())};
}

std::optional<Refusal> FindAnimal(const RunFacts& facts, const std::string& text, Target* target) {
  const ObservedRun& run = facts.run();
  const AnimalLookup& lookup = facts.Lookup();
  const int32_t ini_id = lookup.IniOfId(text);
  const int32_t p = ini_id == 0 ? 0 : lookup.Holder(ini_id);
  if (p != 0) {
    target->s = FamilyOfPosition(run.run->store, p);
    target->center = run.run->store.MAS[p][1];
  } else if (!lookup.FamilyNumber(text, &target->s, &target->center)) {
    return Refusal{kExitStopped, "no animal " + text +
                                     " (a herd-book id of ids.csv or FAMILY:INDIVIDUAL as in "
                                     "ped.dat)" +
                                     lookup.NearestStoredNote(text)};
  }
  const FamilyView view = BuildFamily(run, target->s);
  if (view.Find(target->center) == nullptr) {
    return Refusal{kExitStopped, "no animal " + text + " (family " + std::to_string(view.family) +
                                     " has individuals 1.." + std::to_string(view.nodes.size()) +
                                     ")"};
  }
  target->center = view.Original(target->center);
  return std::nullopt;
}

// A copy: its family index and either the index of its loop-break copies or the number of
// a parent copy.
struct CopyAt {
  int s = 0;
  std::size_t which = 0;
  int32_t position = 0;
  int32_t parent_copy = 0;
};

// The copy at `position` (a loop-break or a parent copy), or the first loop-break copy of
// the animal at `position` when `first_of_animal`.
std::optional<CopyAt> CopyOf(const ObservedRun& run, int32_t position, bool first_of_animal) {
  const int s = FamilyOfPosition(run.run->store, position);
  if (s == 0) return std::nullopt;
  const FamilyView view = BuildFamily(run, s);
  const Node& held = view.nodes[static_cast<std::size_t>(position - view.nodes.front().position)];
  if (!first_of_animal && held.kind == NodeKind::kParentCopy) {
    return CopyAt{s, 0, position, held.number};
  }
  const int32_t ini_id = run.run->store.INI_ID[position];
  for (std::size_t k = 0; k < view.loop_copies.size(); ++k) {
    const Node& copy = view.nodes[view.loop_copies[k]];
    if (first_of_animal ? copy.ini_id == ini_id : copy.position == position) {
      return CopyAt{s, k, copy.position, 0};
    }
  }
  return std::nullopt;
}

// FAMILY:NUMBER of the copy at `position`.
std::string CopyName(const ObservedRun& run, int32_t position) {
  const PedigreeStore& st = run.run->store;
  return std::to_string(st.MAS0[position]) + ":" + std::to_string(st.MAS[position][1]);
}

std::optional<Refusal> FindCopy(const RunFacts& facts, const std::string& text, Target* target) {
  const ObservedRun& run = facts.run();
  const AnimalLookup& lookup = facts.Lookup();
  const char* kListed = " (pedprep report lists the copies)";
  std::optional<CopyAt> found;
  int s = 0;
  int32_t number = 0;
  if (lookup.FamilyNumber(text, &s, &number)) {
    const FamilyView view = BuildFamily(run, s);
    const Node* node = view.Find(number);
    if (node != nullptr) found = CopyOf(run, node->position, node->kind == NodeKind::kAnimal);
    if (!found) {
      return Refusal{kExitStopped, text + " names no loop-break copy and no copied animal" +
                                       std::string(kListed)};
    }
  } else {
    int32_t position = 0;
    const bool digits = text.find_first_not_of("0123456789") == std::string::npos &&
                        ParseWholeNumber(text, &position) && position >= 1 &&
                        position <= lookup.rows();
    const std::optional<CopyAt> by_position = digits ? CopyOf(run, position, false) : std::nullopt;
    const int32_t ini_id = lookup.IniOfId(text);
    const int32_t holder = ini_id == 0 ? 0 : lookup.Holder(ini_id);
    const std::optional<CopyAt> by_id = holder == 0 ? std::nullopt : CopyOf(run, holder, true);
    if (by_position && by_id && by_position->position != by_id->position) {
      return Refusal{kExitUsage, "--copy " + text +
                                     " names two loop-break copies: the one at position " + text +
                                     " (" + CopyName(run, by_position->position) +
                                     ") and the first copy of animal " + text + " (position " +
                                     std::to_string(by_id->position) + ", " +
                                     CopyName(run, by_id->position) + "); give FAMILY:NUMBER"};
    }
    if (by_position) {
      found = by_position;
    } else if (by_id) {
      found = by_id;
    }
    if (!found) {
      std::string problem;
      if (digits) problem = "position " + text + " holds no copy";
      if (holder != 0)
        problem += (digits ? " and " : "") + ("animal " + text) + " has no loop-break copy";
      if (problem.empty()) {
        return Refusal{kExitStopped, "no animal " + text + " and no position " + text +
                                         " (positions are 1.." + std::to_string(lookup.rows()) +
                                         ")"};
      }
      return Refusal{kExitStopped, problem + kListed};
    }
  }
  target->s = found->s;
  target->which = found->which;
  target->parent_copy = found->parent_copy;
  return std::nullopt;
}

std::optional<Refusal> FindTarget(const RunFacts& facts, const DrawRequest& request,
                                  Target* target) {
  if (StageOf(facts.run()) == StopStage::kReading) {
    return Refusal{kExitStopped, "the run stops: " + facts.StopText() + "; nothing drawn"};
  }
  if (!request.family.empty()) return FindFamily(facts.run(), request.family, target);
  if (!request.around.empty()) return FindAnimal(facts, request.around, target);
  if (!request.ancestors.empty()) return FindAnimal(facts, request.ancestors, target);
  return FindCopy(facts, request.copy, target);
}

// What one picture shows: the animals kept (or the loop), their count and the title's line.
struct Picture {
  std::string what;
  std::set<int32_t> kept;
  std::vector<LoopStep> loop;
  std::vector<ChartBox> chart;
  std::size_t animals = 0;
};

// The boxes' facts for `facts.items` beyond the id: the main breed and its share, F on the
// pedigree as read, the birth year of ids.csv.
void AddLabelFacts(const ObservedRun& run, const FamilyView& view,
                   const std::map<int, std::string>& breed_names, LabelFacts* facts) {
  const PedigreeStore& st = run.run->store;
  std::vector<ParentLinks> links;
  std::map<int32_t, int32_t> index;  // number of an animal read -> its index in `links`
  for (const Node& node : view.nodes) {
    if (node.kind == NodeKind::kAnimal) index.emplace(node.number, index.size());
  }
  for (const Node& node : view.nodes) {
    if (node.kind != NodeKind::kAnimal) continue;
    auto at = [&](int32_t number) {
      auto it = index.find(view.Original(number));
      return it == index.end() ? kUnknownParent : it->second;
    };
    links.push_back({at(node.father), at(node.mother)});
    if (node.breed != 0 && node.breed <= kMaxBreeds) {
      const double share = st.PRACE[node.position][node.breed];
      auto name = breed_names.find(node.breed);
      facts->breed[node.number] =
          (name == breed_names.end() ? "breed " + std::to_string(node.breed) : name->second) + " " +
          ShareText(share);
    }
    auto row = run.ids.find(node.ini_id);
    if (row != run.ids.end() && !row->second.born.empty()) {
      facts->born[node.number] = row->second.born;
    }
  }
  if (std::count(facts->items.begin(), facts->items.end(), "F") == 0) return;
  const AncestryFigures figures = ComputeAncestry(links);
  for (const auto& [number, k] : index) {
    if (figures.resolved[static_cast<std::size_t>(k)]) {
      facts->inbreeding[number] = figures.inbreeding[static_cast<std::size_t>(k)];
    }
  }
}

// Adds the other parent of each mating of which `kept` holds a child and one parent, so a
// mating always shows both (the parents as DrawKept joins them: with `as_read` the
// originals of copies).
void AddOtherParents(const FamilyView& view, bool as_read, std::set<int32_t>* kept) {
  std::vector<int32_t> others;
  for (const Node& node : view.nodes) {
    if (kept->count(node.number) == 0) continue;
    const int32_t father = as_read ? view.Original(node.father) : node.father;
    const int32_t mother = as_read ? view.Original(node.mother) : node.mother;
    const bool has_father = kept->count(father) != 0;
    const bool has_mother = kept->count(mother) != 0;
    if (has_father == has_mother) continue;
    const int32_t other = has_father ? mother : father;
    if (other != 0 && view.Find(other) != nullptr) others.push_back(other);
  }
  kept->insert(others.begin(), others.end());
}

// A refusal when `picture` holds more animals than the request allows.
std::optional<Refusal> Refused(const Picture& picture, const DrawRequest& request, int32_t family) {
  if (picture.animals <= static_cast<std::size_t>(request.max_animals)) return std::nullopt;
  std::string cuts;
  if (request.around.empty() && request.ancestors.empty()) cuts += "--around ID, ";
  if (!request.around.empty()) cuts += "smaller --up and --down, ";
  if (request.copy.empty()) cuts += "--copy POSITION, ";
  if (!request.family.empty() && !request.core) cuts += "--core, ";
  cuts.resize(cuts.size() - 2);
  if (const std::size_t last = cuts.rfind(", "); last != std::string::npos) {
    cuts.replace(last, 2, " or ");
  }
  const std::string limit = CountText(request.max_animals) + " (--max-animals)";
  if (!picture.chart.empty()) {  // a chart stops counting at the first box over the limit
    return Refusal{kExitStopped, "family " + std::to_string(family) + ": more than " + limit +
                                     " boxes to draw; draw fewer generations with smaller --up"};
  }
  return Refusal{kExitStopped,
                 "family " + std::to_string(family) + ": " + std::to_string(picture.animals) +
                     " animals to draw, more than " + limit + "; draw part of it with " + cuts};
}

std::optional<Refusal> Choose(const FamilyView& view, const DotWriter& writer,
                              const DrawRequest& request, const Target& target, Picture* picture) {
  if (target.parent_copy != 0) {
    const Node& copy = *view.Find(target.parent_copy);
    picture->kept = CopyLineage(view, copy.number);
    AddOtherParents(view, false, &picture->kept);
    picture->what = "parent copy " + std::to_string(copy.number) + " (pos " +
                    std::to_string(copy.position) + ") of " + writer.Text(copy) +
                    ": the copies above it beside their originals, and the animals it was made "
                    "for";
  } else if (!request.copy.empty()) {
    std::string problem;
    picture->loop = LoopOfCopy(view, target.which, &problem);
    const Node& copy = view.nodes[view.loop_copies[target.which]];
    if (picture->loop.empty()) {
      // The copy with what it joins: its original, the mating whose children received it,
      // and those children.
      const auto& [father, mother] = view.copy_matings[target.which];
      picture->kept = CopyLineage(view, copy.number);
      for (int32_t parent : {father, mother}) {
        if (parent != 0) picture->kept.insert(parent);
      }
      AddOtherParents(view, false, &picture->kept);
      picture->animals = picture->kept.size();
      picture->what = "loop-break copy " + std::to_string(copy.number) + " (pos " +
                      std::to_string(copy.position) + ") of " + writer.Text(copy) +
                      " beside its original and the children it was given to: " + problem +
                      " in the family as it was before this copy";
      return Refused(*picture, request, view.family);
    }
    const std::size_t steps = picture->loop.size();
    picture->animals = (steps + 1) / 2 + 1 + LoopChildren(view, picture->loop, copy).size() +
                       ChildrenAtMatings(view, picture->loop, copy).first.size();
    picture->what = "the loop that loop-break copy " + std::to_string(copy.number) + " (pos " +
                    std::to_string(copy.position) + ") of " + writer.Text(copy) +
                    " breaks: " + Counted(steps / 2, "animal", "animals") + " and " +
                    Counted(steps / 2, "mating", "matings") +
                    ", with the copy beside its original and the children it was given to";
  } else if (!request.ancestors.empty()) {
    const int up = request.up < 0 ? 4 : request.up;
    picture->chart =
        AncestorChart(view, target.center, up, static_cast<std::size_t>(request.max_animals));
    picture->animals = picture->chart.size();
    std::map<int32_t, int> boxes_of;
    for (const ChartBox& box : picture->chart) ++boxes_of[box.number];
    const auto repeated = static_cast<std::size_t>(std::count_if(
        boxes_of.begin(), boxes_of.end(), [](const auto& entry) { return entry.second > 1; }));
    picture->what = writer.Text(*view.Find(target.center)) + " and its ancestors up to " +
                    Counted(up, "generation", "generations") + ": " +
                    CountText(static_cast<long long>(picture->chart.size())) +
                    (picture->chart.size() == 1 ? " box, " : " boxes, ") +
                    Counted(repeated, "ancestor", "ancestors") + " met more than once";
    return Refused(*picture, request, view.family);
  } else if (!request.around.empty()) {
    picture->kept = Around(view, target.center, request.up < 0 ? 3 : request.up, request.down,
                           request.with_copies);
    AddOtherParents(view, !request.with_copies, &picture->kept);
    picture->what = writer.Text(*view.Find(target.center)) + " with ancestors up to " +
                    Counted(request.up < 0 ? 3 : request.up, "generation", "generations") +
                    " and descendants down to " +
                    Counted(request.down, "generation", "generations") +
                    (request.with_copies ? ", and their copies" : ", as read");
  } else if (request.core) {
    picture->kept = LoopCore(view);
    picture->what = "the animals of its loops and their copies, " +
                    Counted(picture->kept.size(), "animal", "animals");
  } else {
    for (const Node& node : view.nodes) picture->kept.insert(node.number);
    picture->what = Counted(picture->kept.size(), "animal", "animals");
  }
  if (picture->loop.empty()) picture->animals = picture->kept.size();
  return Refused(*picture, request, view.family);
}

// Writes `dot` to standard output, as DOT text to the file, or rendered.
int Deliver(const std::string& dot, const DrawRequest& request, OutputGuard& guard,
            const DotRenderer& render, std::ostream& out, std::ostream& err) {
  const std::string& path = request.output;
  if (path.empty()) {
    out << dot;
    return kExitSuccess;
  }
  const std::size_t dot_at = path.rfind('.');
  const std::string extension = dot_at == std::string::npos ? "" : path.substr(dot_at + 1);
  std::string bytes = dot;
  if (extension == "svg" || extension == "png" || extension == "pdf") {
    RenderRequest asked;
    asked.format = extension;
    asked.timeout_seconds = request.timeout_seconds;
    if (!request.paper.empty()) asked.paper = request.paper;
    const Rendered rendered = render(dot, asked, &bytes);
    for (const std::string& warning : rendered.warnings) err << "pedprep draw: " << warning << "\n";
    if (!rendered.problem.empty()) {
      err << "pedprep draw: " << rendered.problem << "\n";
      return kExitStopped;
    }
  }
  try {
    guard.Write(path, bytes, out);
  } catch (const InputError& error) {
    err << error.Report() << "\n";
    return kExitInputError;
  }
  return kExitSuccess;
}

}  // namespace

int DrawDot(const RunFacts& facts, const DrawRequest& request, std::string* dot,
            std::string* problem) {
  const ObservedRun& run = facts.run();
  const bool named_breeds =
      request.color_breed || std::count(request.labels.begin(), request.labels.end(), "breed") != 0;
  const std::map<int, std::string> breed_names =
      named_breeds ? facts.BreedsByCode() : std::map<int, std::string>();
  Target target;
  std::optional<Refusal> refusal = FindTarget(facts, request, &target);
  const FamilyView view = refusal ? FamilyView() : BuildFamily(run, target.s);
  LabelFacts labels;
  if (!request.labels.empty()) labels.items = request.labels;
  // The id is always shown: fields asked for come after it unless placed before it.
  if (std::count(labels.items.begin(), labels.items.end(), "id") == 0) {
    labels.items.insert(labels.items.begin(), "id");
  }
  if (!refusal && labels.items != std::vector<std::string>{"id"}) {
    AddLabelFacts(run, view, breed_names, &labels);
  }
  DotWriter writer(run, view, request.color_breed, labels);
  Picture picture;
  if (!refusal) refusal = Choose(view, writer, request, target, &picture);
  if (refusal) {
    *problem = refusal->message;
    return refusal->status;
  }
  const std::string folder_text = request.folder_name.empty() ? "." : request.folder_name;
  std::string title = folder_text + ", family " + std::to_string(view.family) + "\n" + picture.what;
  const std::string note = StopNote(facts, target.s);
  if (!note.empty()) title += "\n" + note;
  writer.Head(title, !picture.chart.empty());
  if (!picture.chart.empty()) {
    DrawChart(writer, view, picture.chart);
  } else if (picture.loop.empty()) {
    DrawKept(writer, view, picture.kept, !request.around.empty() && !request.with_copies,
             request.compact, request.around.empty() ? 0 : target.center);
  } else {
    DrawLoop(writer, view, picture.loop, view.nodes[view.loop_copies[target.which]]);
  }
  *dot = writer.Finish(breed_names);
  return kExitSuccess;
}

int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err) {
  // -o is never a file of the folder (told before the work).
  OutputGuard guard(output_folder, "the drawing");
  guard.KeepFolderFiles(folder, request.folder_name);
  if (const std::string refusal = request.output.empty() ? "" : guard.Refusal(request.output);
      !refusal.empty()) {
    err << "pedprep draw: -o " << EscapeControlBytes(request.output) << ": "
        << EscapeControlBytes(refusal) << "; nothing written\n";
    return kExitInputError;
  }
  return WithRunFacts(folder, err, [&](const RunFacts& facts) {
    std::string dot;
    std::string problem;
    if (const int status = DrawDot(facts, request, &dot, &problem); status != kExitSuccess) {
      err << "pedprep draw: " << problem << "\n";
      return status;
    }
    return Deliver(dot, request, guard, render, out, err);
  });
}

}  // namespace pedprep
