#include "inspect/draw.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <vector>

#include "core/exit_status.h"
#include "driver/run_driver.h"
#include "inspect/observed_run.h"
#include "inspect/report.h"
#include "records/input_error.h"
#include "structure/family_graph.h"
#include "structure/peeling.h"

extern char** environ;

namespace pedprep {
namespace {

enum class Kind { kAnimal, kLoopCopy, kParentCopy };

struct Node {
  int32_t number = 0;
  int32_t father = 0;
  int32_t mother = 0;
  int32_t ini_id = 0;
  int sex = 0;
  Kind kind = Kind::kAnimal;
  int32_t original = 0;  // a copy's original (final numbers)
};

// Text for a quoted DOT string: quotes and backslashes escaped, control bytes as blanks.
std::string Escaped(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  }
  return escaped;
}

std::string Name(int32_t number) { return "n" + std::to_string(number); }

// Numbers of the animals in the nuclear families that do not peel in the family as the
// passport gave it (every copy replaced by its original).
std::set<int32_t> LoopCore(const std::vector<Node>& nodes,
                           const std::map<int32_t, int32_t>& original_of) {
  auto resolve = [&original_of](int32_t number) {
    for (int guard = 0; guard < 1 << 16; ++guard) {
      auto it = original_of.find(number);
      if (it == original_of.end()) break;
      number = it->second;
    }
    return number;
  };
  std::vector<FamilyMember> members;
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const Node& node = nodes[k];
    if (node.kind != Kind::kAnimal) continue;
    members.push_back(
        {node.number, resolve(node.father), resolve(node.mother), static_cast<int32_t>(k + 1)});
  }
  FamilyGraph graph;
  graph.Build(members);
  Peeling peeling;
  peeling.Reset(graph);
  std::set<int32_t> core;
  for (int32_t k = 1; k <= graph.NPR1(); ++k) {
    if (peeling.Peeled(k)) continue;
    for (int32_t slot = graph.FatherSlot(k); slot <= graph.LastSlot(k); ++slot) {
      if (graph.SlotValue(slot) != 0) core.insert(graph.SlotValue(slot));
    }
  }
  for (const auto& [copy, original] : original_of) {
    if (core.count(resolve(original)) != 0) core.insert(copy);
  }
  return core;
}

}  // namespace

std::string FamilyDot(const ObservedRun& run, int32_t family, bool core) {
  const PedigreeStore& st = run.run->store;
  int s = 0;
  for (int k = 1; k <= st.NumFamilies(); ++k) {
    if (st.MAS0[st.FamilyFirst(k)] == family) {
      s = k;
      break;
    }
  }
  if (s == 0) return "";

  std::map<int32_t, int32_t> original_of;  // copy -> original
  std::map<int32_t, Kind> kind_of;
  for (const LoopCopy& c : run.loop_copies) {
    if (c.family != family) continue;
    original_of[c.copy] = c.original;
    kind_of[c.copy] = Kind::kLoopCopy;
  }
  for (const ParentCopy& c : run.parent_copies) {
    if (c.family != family) continue;
    original_of[c.copy] = c.original;
    kind_of[c.copy] = Kind::kParentCopy;
  }
  std::vector<Node> nodes;
  for (int p = st.FamilyFirst(s); p <= st.FamilyLast(s); ++p) {
    Node node{
        st.MAS[p][1], st.MAS[p][2], st.MAS[p][3], st.INI_ID[p], st.MAS1[p][2], Kind::kAnimal, 0};
    auto kind = kind_of.find(node.number);
    if (kind != kind_of.end()) {
      node.kind = kind->second;
      node.original = original_of[node.number];
    }
    nodes.push_back(node);
  }
  std::set<int32_t> kept;
  if (core) {
    kept = LoopCore(nodes, original_of);
  } else {
    for (const Node& node : nodes) kept.insert(node.number);
  }

  std::string dot = "digraph \"family_" + std::to_string(family) + "\" {\n";
  dot += "  graph [rankdir=TB];\n  node [fontname=\"Helvetica\", fontsize=10];\n";
  dot += "  edge [arrowsize=0.6];\n";
  for (const Node& node : nodes) {
    if (kept.count(node.number) == 0) continue;
    const std::string id = run.Id(node.ini_id);
    // "\\n" is Graphviz's line break inside a label.
    std::string line = "  " + Name(node.number) + " [label=\"" +
                       Escaped(id.empty() ? "ini_id " + std::to_string(node.ini_id) : id) + "\\n" +
                       std::to_string(node.number) +
                       "\", shape=" + (node.sex == 1 ? "box" : "ellipse");
    if (node.kind == Kind::kLoopCopy) line += ", style=dashed";
    if (node.kind == Kind::kParentCopy) line += ", style=filled, fillcolor=gray85";
    dot += line + "];\n";
  }
  // Matings in the order their first child stands.
  std::vector<std::pair<int32_t, int32_t>> matings;
  std::map<std::pair<int32_t, int32_t>, std::vector<int32_t>> children;
  for (const Node& node : nodes) {
    if (node.father == 0 && node.mother == 0) continue;
    if (kept.count(node.number) == 0) continue;
    const auto key = std::make_pair(node.father, node.mother);
    if (children[key].empty()) matings.push_back(key);
    children[key].push_back(node.number);
  }
  for (const auto& key : matings) {
    const std::string mating = "m" + std::to_string(key.first) + "_" + std::to_string(key.second);
    dot += "  " + mating + " [shape=point, width=0.06];\n";
    for (int32_t parent : {key.first, key.second}) {
      if (parent != 0 && kept.count(parent) != 0) {
        dot += "  " + Name(parent) + " -> " + mating + " [arrowhead=none];\n";
      }
    }
    for (int32_t child : children[key]) dot += "  " + mating + " -> " + Name(child) + ";\n";
  }
  for (const Node& node : nodes) {
    if (node.kind != Kind::kLoopCopy || kept.count(node.number) == 0) continue;
    if (kept.count(node.original) == 0) continue;
    dot += "  " + Name(node.number) + " -> " + Name(node.original) +
           " [style=dotted, arrowhead=none, constraint=false];\n";
  }
  return dot + "}\n";
}

std::string RenderWithDot(const std::string& dot, const std::string& format,
                          const std::string& path) {
  const std::string source = path + ".pedprep-dot";
  const std::string target = path + ".pedprep-tmp";
  {
    std::ofstream out(source, std::ios::binary);
    out << dot;
    if (!out.flush()) return "cannot write " + source;
  }
  const std::string type = "-T" + format;
  std::vector<char*> argv = {const_cast<char*>("dot"),          const_cast<char*>(type.c_str()),
                             const_cast<char*>(source.c_str()), const_cast<char*>("-o"),
                             const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "dot", nullptr, nullptr, argv.data(), environ);
  int status = 0;
  if (spawned == 0) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  std::remove(source.c_str());
  const bool missing =
      spawned == ENOENT || (spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 127);
  if (missing) {
    std::remove(target.c_str());
    return "the Graphviz program dot is not installed; install it with: sudo apt-get install "
           "graphviz";
  }
  if (spawned != 0) return std::string("cannot start dot: ") + std::strerror(spawned);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::remove(target.c_str());
    return "dot failed to render " + path;
  }
  if (std::rename(target.c_str(), path.c_str()) != 0) {
    const std::string problem = std::strerror(errno);
    std::remove(target.c_str());
    return "cannot rename " + target + " to " + path + ": " + problem;
  }
  return "";
}

int RunDraw(FileSystem& folder, const DrawRequest& request, FileSystem& output_folder,
            const DotRenderer& render, std::ostream& out, std::ostream& err) {
  std::unique_ptr<ObservedRun> run = ObserveRunOrReport(folder, err);
  if (!run) return kExitInputError;
  if (run->status != kExitSuccess) {
    err << "pedprep draw: the run stops: " << StopExplanation(*run) << "; nothing drawn\n";
    return kExitStopped;
  }
  const std::string dot = FamilyDot(*run, request.family, request.core);
  if (dot.empty()) {
    err << "pedprep draw: no family " << request.family << " (the run has families 1 to "
        << run->run->store.NumFamilies() << ")\n";
    return kExitStopped;
  }
  const std::string& path = request.output;
  const std::size_t dot_at = path.rfind('.');
  const std::string extension = dot_at == std::string::npos ? "" : path.substr(dot_at + 1);
  if (path.empty()) {
    out << dot;
    return kExitSuccess;
  }
  if (extension == "svg" || extension == "png") {
    const std::string problem = render(dot, extension, path);
    if (problem.empty()) return kExitSuccess;
    err << "pedprep draw: " << problem << "\n";
    return kExitStopped;
  }
  try {
    output_folder.WriteFiles({{path, dot}});
  } catch (const InputError& error) {
    err << error.Report() << "\n";
    return kExitInputError;
  }
  return kExitSuccess;
}

}  // namespace pedprep
