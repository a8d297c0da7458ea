#include "pictures/loop_finder.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "reading/observed_run.h"
#include "testing/fakes.h"
#include "testing/loop_folders.h"

namespace pedprep {
namespace {

using testing::LoopFolder;
using testing::TwoLoopFolder;

TEST(LoopFinderTest, BrokenLoopIsACycleOfThePedigreeThroughTheCopiedAnimal) {
  // The passport's parents by ini_id (which here equals the individual number).
  const std::map<int32_t, std::pair<int32_t, int32_t>> parents = {
      {3, {1, 2}}, {4, {1, 2}}, {5, {3, 4}},  {6, {1, 2}},
      {7, {5, 6}}, {9, {8, 7}}, {10, {3, 4}}, {11, {5, 6}}};
  auto adjacent = [&parents](const LoopStep& animal, const LoopStep& mating) {
    if (animal.ini_id == mating.father_ini_id || animal.ini_id == mating.mother_ini_id) {
      return true;
    }
    auto it = parents.find(animal.ini_id);
    return it != parents.end() &&
           it->second == std::make_pair(mating.father_ini_id, mating.mother_ini_id);
  };
  for (auto [folder, copies] : {std::pair{LoopFolder(), 1u}, std::pair{TwoLoopFolder(), 2u}}) {
    std::unique_ptr<ObservedRun> run = ObserveRun(folder);
    ASSERT_EQ(run->status, 0);
    ASSERT_EQ(run->loop_copies.size(), copies);
    for (const LoopCopy& copy : run->loop_copies) {
      SCOPED_TRACE("copy at position " + std::to_string(copy.copy_position));
      std::string problem;
      const std::vector<LoopStep> loop = BrokenLoop(*run, copy.copy_position, &problem);
      ASSERT_GE(loop.size(), 4u) << problem;
      ASSERT_EQ(loop.size() % 2, 0u);
      EXPECT_FALSE(loop.front().mating);
      EXPECT_EQ(loop.front().ini_id, copy.ini_id);
      std::set<int32_t> animals;
      std::set<std::pair<int32_t, int32_t>> matings;
      for (std::size_t k = 0; k < loop.size(); ++k) {
        const LoopStep& a = loop[k];
        const LoopStep& b = loop[(k + 1) % loop.size()];
        ASSERT_NE(a.mating, b.mating) << k;
        EXPECT_TRUE(a.mating ? adjacent(b, a) : adjacent(a, b)) << k;
        if (a.mating) {
          EXPECT_TRUE(matings.insert({a.father_ini_id, a.mother_ini_id}).second) << k;
        } else {
          EXPECT_TRUE(animals.insert(a.ini_id).second) << k;
        }
      }
      // The loop closes through the mating whose children received the copy.
      EXPECT_TRUE(loop.back().father_ini_id == copy.ini_id ||
                  loop.back().mother_ini_id == copy.ini_id);
    }
  }
  std::unique_ptr<ObservedRun> run = ObserveRun(*std::make_unique<MemoryFileSystem>(LoopFolder()));
  std::string problem;
  EXPECT_TRUE(BrokenLoop(*run, 5, &problem).empty());
  EXPECT_EQ(problem, "position 5 holds no loop-break copy");
}

// The sizes of many loops at once (shared out over threads) are those BrokenLoop finds one by
// one, in the order asked, 0 for a position without a copy.
TEST(LoopFinderTest, BrokenLoopSizesAreThoseOfBrokenLoop) {
  MemoryFileSystem folder = TwoLoopFolder();
  std::unique_ptr<ObservedRun> run = ObserveRun(folder);
  ASSERT_EQ(run->status, 0);
  std::vector<int32_t> positions = {5, 0};
  for (int k = 0; k < 10; ++k) {
    for (const LoopCopy& copy : run->loop_copies) positions.push_back(copy.copy_position);
  }
  positions.push_back(-1);
  std::vector<std::size_t> expected;
  for (const int32_t position : positions) {
    std::string problem;
    expected.push_back(BrokenLoop(*run, position, &problem).size());
  }
  EXPECT_EQ(BrokenLoopSizes(*run, positions), expected);
  EXPECT_EQ(expected[0], 0u);
  EXPECT_GE(expected[2], 4u);
}

}  // namespace
}  // namespace pedprep
