#include "core/nearest_ids.h"

#include <gtest/gtest.h>

namespace pedprep {
namespace {

TEST(NearestIdsTest, EditsFirstThenSharedWords) {
  const std::vector<std::string> ids = {"Erasmus Darwin",  "Charles Robert Darwin",
                                        "Charles Galton",  "Emma Wedgwood",
                                        "Charles Darwinn", "DE0012",
                                        "DE0021",          "de0013",
                                        "Francis Galton"};
  EXPECT_EQ(NearestIds("Charles Darwin", ids),
            (std::vector<std::string>{"Charles Darwinn", "Charles Robert Darwin", "Erasmus Darwin",
                                      "Charles Galton"}));
  // A swap of neighbours is one edit; letter case is ignored; the typed id itself is no
  // suggestion; 2 edits are too many for 6 letters.
  EXPECT_EQ(NearestIds("DE0012", ids), (std::vector<std::string>{"DE0021", "de0013"}));
  EXPECT_EQ(NearestIds("DE12", ids), (std::vector<std::string>{}));
  EXPECT_EQ(NearestIds("Galton", ids, 1), (std::vector<std::string>{"Charles Galton"}));
  EXPECT_EQ(NearestIdsNote("Wedgewood", {"Emma Wedgwood", "Josiah\nWedgwood"}),
            " (nearest: Emma Wedgwood, Josiah\\x0AWedgwood)");
  EXPECT_EQ(NearestIdsNote("Wedge", {"Emma Wedgwood"}), "");
  EXPECT_EQ(NearestIdsNote("Josiah", {"Emma Wedgwood", "Josiah\nWedgwood"}),
            " (nearest: Josiah\\x0AWedgwood)");
}

}  // namespace
}  // namespace pedprep
