#include "figures/run_facts.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "pictures/draw.h"
#include "reading/observed_run.h"
#include "reports/animals.h"
#include "reports/html_report.h"
#include "testing/fakes.h"
#include "testing/run_folder.h"

namespace pedprep {
namespace {

// A legend that names breed 1 as a column of the animals table: every tool calls it breed1,
// the animals' columns, draw's legend and the page's.
TEST(RunFacts, EveryToolNamesTheBreedsAlike) {
  MemoryFileSystem folder;
  testing::PutCleanInputs(folder);
  std::string& passport = folder.files["PEDIGREE.PRN"];
  passport.replace(passport.find("comment line 2"), 14, "breeds: 1=inbreeding 2=Angus");
  const std::unique_ptr<ObservedRun> run = ObserveRun(folder);
  const RunFacts facts(*run);
  ASSERT_EQ(facts.Breeds(), (std::vector<std::string>{"breed1", "Angus"}));
  ASSERT_NE(facts.Animals(), nullptr) << facts.AnimalsFault();
  EXPECT_EQ(facts.Animals()->breeds, facts.Breeds());

  std::ostringstream animals, err;
  ASSERT_EQ(RunAnimals(facts, true, animals, err), 0) << err.str();
  EXPECT_NE(animals.str().find(",inbreeding,breed1,Angus,ecg,"), std::string::npos);

  DrawRequest request;
  request.family = "1";
  request.color_breed = true;
  std::string dot, problem;
  ASSERT_EQ(DrawDot(facts, request, &dot, &problem), 0) << problem;
  EXPECT_NE(dot.find("label=\"1 breed1\""), std::string::npos) << dot;
  EXPECT_NE(dot.find("label=\"2 Angus\""), std::string::npos) << dot;

  const LoopPicture none = [](const RunFacts&, const std::vector<int32_t>&) {
    return ReadyPictures({{}, "no pictures"});
  };
  const std::string page = HtmlReport(facts, {"herd", {}}, none, &problem);
  EXPECT_NE(page.find("</span>breed1</span>"), std::string::npos);
  EXPECT_NE(page.find("</span>Angus</span>"), std::string::npos);
}

}  // namespace
}  // namespace pedprep
