// Test support: a fresh run context loaded with a small pedigree.
#ifndef PEDPREP_TESTING_PEDIGREE_FIXTURE_H_
#define PEDPREP_TESTING_PEDIGREE_FIXTURE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/run_context.h"
#include "structure/workspace.h"

namespace pedprep::testing {

// One passport row: family, individual, father, mother, sex (1 male, 2 female).
struct Member {
  int family;
  int id;
  int father;
  int mother;
  int sex;
};

// A run context (and the structure stage's context on it) with capturing console and in-memory folder. Load() fills positions 1..N
// in order (breed code 1 for founders, 0 otherwise; INI_ID = 100 + position; IFON =
// position mod 7; PRACE(i, t) = position + t / 10 for t = 1..NRAC) and builds INS.
struct PedigreeFixture {
  PedigreeFixture();

  void Load(const std::vector<Member>& members, int nrac = 2);
  // The current rows of the store as members, positions 1..ND.
  std::vector<Member> Rows() const;
  // The console text written so far; clears it.
  std::string TakeOutput();

  CapturingConsole console;
  MemoryFileSystem files;
  RecordingCommandRunner shell;
  std::unique_ptr<RunContext> run;
  // The structure stage's view of the run: its store and console, and the workspace.
  std::unique_ptr<StructureContext> ctx;
};

bool operator==(const Member& a, const Member& b);

}  // namespace pedprep::testing

#endif  // PEDPREP_TESTING_PEDIGREE_FIXTURE_H_
