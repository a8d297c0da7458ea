// pedprep_bench: times the stages of one run in-process on a generated input folder.
//
//   pedprep_bench [--reps N] [--reference] FOLDER
//
// Runs the stages in the run's order (passport reader, TESTSEX, FINDBLOOD, STRYU,
// RENUM, RECONSTRUCTION, REWRDAT with UNFORM) N times (default 5) on a fresh RunContext
// each, in FOLDER, with a capturing console and the real folder, and prints one line of
// key=value pairs: the median time of every stage in milliseconds, the breaks (NBREAK),
// ND after reading, after the structure analysis and at the end, where the run stopped,
// and the peak resident memory of the process (so give one folder per process).
//
// With --reference it also times the reference structure analysis against STRYU on the
// same store (both after reading, TESTSEX and FINDBLOOD), checks that both leave the same
// store and console text, and prints the ratio reference / fast.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "breed/blood_fractions.h"
#include "breed/renumbering.h"
#include "core/run_context.h"
#include "driver/passport_reader.h"
#include "driver/sex_check.h"
#include "export/export_state.h"
#include "export/marker_match.h"
#include "export/pedigree_table.h"
#include "export/reconstruction.h"
#include "records/input_error.h"
#include "reference/rebuilding_analysis.h"
#include "reference/rebuilding_workspace.h"
#include "structure/structure_analysis.h"
#include "testing/fakes.h"

namespace {

using Clock = std::chrono::steady_clock;

// One run's parts: a console that answers every pause with end of input, the folder, a
// command runner that runs nothing, the context and the export state the stages hand on.
struct BenchRun {
  pedprep::CapturingConsole console;
  pedprep::DiskFileSystem files;
  pedprep::RecordingCommandRunner shell;
  pedprep::RunContext ctx{console, files, shell};
  pedprep::ExportState exports;
};

struct Stage {
  const char* name;
  std::function<void(BenchRun&)> run;
};

const std::vector<Stage>& Stages() {
  static const std::vector<Stage> stages = {
      {"read", [](BenchRun& r) { pedprep::ReadPassport(r.ctx); }},
      {"testsex", [](BenchRun& r) { pedprep::TESTSEX(r.ctx); }},
      {"findblood", [](BenchRun& r) { pedprep::FINDBLOOD(r.ctx); }},
      {"stryu", [](BenchRun& r) { pedprep::STRYU(r.ctx); }},
      {"renum", [](BenchRun& r) { pedprep::RENUM(r.ctx); }},
      {"reconstruction", [](BenchRun& r) { pedprep::RECONSTRUCTION(r.ctx, r.exports); }},
      {"rewrdat", [](BenchRun& r) { pedprep::REWRDAT(r.ctx, r.exports, pedprep::MatchMarkers); }},
  };
  return stages;
}

constexpr std::size_t kStryuStage = 3;

// Runs one stage; returns "" when it returned normally, else how the run ended there.
std::string RunStage(const Stage& stage, BenchRun& run, double* ms) {
  const auto start = Clock::now();
  std::string outcome;
  try {
    stage.run(run);
  } catch (const pedprep::RunStopped&) {
    outcome = "stop";
  } catch (const pedprep::InputError&) {
    outcome = "input-error";
  } catch (const std::exception&) {
    outcome = "exception";
  }
  *ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return outcome;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kilobytes on Linux
}

struct RunFigures {
  std::vector<double> stage_ms;
  std::string ended = "ok";  // "ok" or "<stage>:<stop|input-error|exception|MM>"
  int nd_read = 0, nd_after_breaks = 0, nd_end = 0, breaks = 0;
};

RunFigures TimeOneRun() {
  BenchRun run;
  pedprep::RunContext& ctx = run.ctx;
  RunFigures fig;
  const auto& stages = Stages();
  for (std::size_t s = 0; s < stages.size(); ++s) {
    double ms = 0;
    const std::string outcome = RunStage(stages[s], run, &ms);
    fig.stage_ms.push_back(ms);
    if (s == 0) fig.nd_read = ctx.store.ND;
    if (s == kStryuStage) fig.nd_after_breaks = ctx.store.ND;
    if (!outcome.empty()) {
      fig.ended = std::string(stages[s].name) + ":" + outcome;
      break;
    }
    // The run stops after the sex check when it found errors.
    if (s == 1 && ctx.store.MM != 0) {
      fig.ended = "testsex:MM";
      break;
    }
  }
  fig.breaks = ctx.store.NBREAK;
  fig.nd_end = ctx.store.ND;
  return fig;
}

// The store after the stages before the structure analysis.
bool PrepareForStructure(BenchRun& run) {
  const auto& stages = Stages();
  for (std::size_t s = 0; s < kStryuStage; ++s) {
    double ms = 0;
    if (!RunStage(stages[s], run, &ms).empty()) return false;
    if (s == 1 && run.ctx.store.MM != 0) return false;
  }
  run.console.output.clear();
  return true;
}

bool SameStructureResult(const BenchRun& a, const BenchRun& b) {
  const pedprep::PedigreeStore& x = a.ctx.store;
  const pedprep::PedigreeStore& y = b.ctx.store;
  if (x.ND != y.ND || x.NBREAK != y.NBREAK || a.console.output != b.console.output) return false;
  for (int i = 1; i <= x.ND && i <= pedprep::kMaxRows; ++i) {
    if (x.MAS0[i] != y.MAS0[i] || x.MAS[i] != y.MAS[i] || x.MAS1[i] != y.MAS1[i] ||
        x.INI_ID[i] != y.INI_ID[i])
      return false;
  }
  for (int r = 1; r <= x.NBREAK && r <= pedprep::kMaxBreaks; ++r)
    if (x.BREAK_IND[r] != y.BREAK_IND[r]) return false;
  return x.INS == y.INS;
}

void CompareWithReference(int reps) {
  std::vector<double> fast_ms, reference_ms;
  bool same = true;
  std::string ended = "ok";
  for (int rep = 0; rep < reps; ++rep) {
    BenchRun fast, reference;
    if (!PrepareForStructure(fast) || !PrepareForStructure(reference)) {
      ended = "before-structure";
      break;
    }
    const Stage fast_stage{"stryu", [](BenchRun& r) { pedprep::STRYU(r.ctx); }};
    const Stage ref_stage{"reference", [](BenchRun& r) {
                            pedprep::RebuildingContext structure(r.ctx.store, r.ctx.console);
                            pedprep::RebuildingSTRYU(structure, 0);
                          }};
    double ms = 0;
    const std::string f = RunStage(fast_stage, fast, &ms);
    fast_ms.push_back(ms);
    const std::string r = RunStage(ref_stage, reference, &ms);
    reference_ms.push_back(ms);
    if (f != r) ended = "stryu:" + (f.empty() ? "ok" : f) + ",reference:" + (r.empty() ? "ok" : r);
    same = same && f == r && SameStructureResult(fast, reference);
  }
  const double fast = Median(fast_ms), reference = Median(reference_ms);
  std::printf(
      "reference_stryu_ms=%.1f fast_stryu_ms=%.1f reference_over_fast=%.2f same_result=%s "
      "reference_ended=%s\n",
      reference, fast, fast > 0 ? reference / fast : 0.0, same ? "yes" : "no", ended.c_str());
}

int Usage() {
  std::fprintf(stderr, "usage: pedprep_bench [--reps N] [--reference] FOLDER\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int reps = 5;
  bool reference = false;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--reference") == 0) {
      reference = true;
    } else if (folder.empty() && argv[i][0] != '-') {
      folder = argv[i];
    } else {
      return Usage();
    }
  }
  if (folder.empty()) return Usage();
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "pedprep_bench: cannot enter %s\n", folder.c_str());
    return 1;
  }

  const auto& stages = Stages();
  std::vector<std::vector<double>> ms(stages.size());
  std::vector<double> totals;
  RunFigures last;
  for (int rep = 0; rep < reps; ++rep) {
    last = TimeOneRun();
    double total = 0;
    for (std::size_t s = 0; s < last.stage_ms.size(); ++s) {
      ms[s].push_back(last.stage_ms[s]);
      total += last.stage_ms[s];
    }
    totals.push_back(total);
  }

  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::printf("folder=%s reps=%d ended=%s ND_read=%d breaks=%d ND_after_breaks=%d ND_end=%d",
              std::filesystem::path(folder).filename().c_str(), reps, last.ended.c_str(),
              last.nd_read, last.breaks, last.nd_after_breaks, last.nd_end);
  for (std::size_t s = 0; s < stages.size(); ++s) {
    if (ms[s].empty())
      std::printf(" %s_ms=-", stages[s].name);
    else
      std::printf(" %s_ms=%.1f", stages[s].name, Median(ms[s]));
  }
  std::printf(" total_ms=%.1f peak_kb=%ld\n", Median(totals), PeakKilobytes());

  if (reference) CompareWithReference(reps);
  return 0;
}
