#include "core/side_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace pedprep {
namespace {

TEST(SideWorkTest, DoneByWaitWhereverItRanAndItsThrowReachesTheCaller) {
  for (const bool share : {true, false}) {
    std::atomic<int> done = 0;
    SideWork work([&] { ++done; }, share);
    if (!work.beside()) {
      EXPECT_EQ(done, 1) << "done in the constructor";
    }
    work.Wait();
    EXPECT_EQ(done, 1);

    SideWork failing([] { throw std::runtime_error("side"); }, share);
    EXPECT_THROW(failing.Wait(), std::runtime_error);
    EXPECT_NO_THROW(failing.Wait()) << "thrown once";
  }
}

TEST(SideWorkTest, AThrowOnTheCallersSideWaitsForTheWork) {
  std::atomic<bool> finished = false;
  EXPECT_THROW(
      {
        SideWork work([&] { finished = true; });
        throw std::runtime_error("caller");
      },
      std::runtime_error);
  EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace pedprep
