#include "pictures/dot_rendering.h"

#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace pedprep {
namespace {

[[maybe_unused]] std::string RenderWithDot(const std::string& dot, const std::string& format,
                                           int timeout_seconds, std::string* image) {
  RenderRequest request;
  request.format = format;
  request.timeout_seconds = timeout_seconds;
  return pedprep::RenderWithDot(dot, request, image).problem;
}

// RenderWithDot against stand-ins for dot on PATH: the text goes through pipes both ways, a
// dot that cannot be found, one that fails after it started, one that hangs.
TEST(DotRenderingTest, RenderWithDotStandIns) {
#if defined(_WIN32)
  GTEST_SKIP() << "the stand-ins for dot are shell scripts (core/command_runner_test.cpp "
                  "runs programs on Windows)";
#else
  char dir_template[] = "/tmp/pedprep-draw-test-XXXXXX";
  const std::string dir = mkdtemp(dir_template);
  const char* old_path = std::getenv("PATH");
  const std::string saved = old_path == nullptr ? "" : old_path;
  auto stand_in = [&dir](const std::string& script) {
    std::ofstream(dir + "/dot") << "#!/bin/sh\n" << script << "\n";
    chmod((dir + "/dot").c_str(), 0755);
  };
  setenv("PATH", (dir + ":/usr/bin:/bin").c_str(), 1);
  std::string image;
  std::string text;
  for (int k = 0; text.size() < (1 << 20); ++k) text += "line " + std::to_string(k) + "\n";

  stand_in("exec cat");
  EXPECT_EQ(RenderWithDot(text, "svg", 10, &image), "");
  EXPECT_TRUE(image == text);

  stand_in("cat >/dev/null; exit 127");
  EXPECT_EQ(RenderWithDot(text, "svg", 10, &image), "dot failed (exit status 127)");
  EXPECT_EQ(image, "");

  stand_in("exec sleep 30");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RenderWithDot("digraph {}", "png", 1, &image),
            "dot did not finish within 1 s (--timeout); draw less with --around, --copy or "
            "--core");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  // A PNG wider than 16,384 px is drawn at fewer dots per inch, or refused when 10 pt labels
  // would fall below 6 px; one wider than 8,000 px suggests drawing less; dot's warnings come
  // back in words.
  struct PngCase {
    const char* points;  // the picture's width
    const char* shown;   // the arguments of the rendering run, or the start of the problem
    bool wide;
  };
  for (const PngCase& c :
       {PngCase{"5999.9", "-Tpng\n", false}, PngCase{"6000.1", "-Tpng\n", true},
        PngCase{"12287.5", "-Tpng\n", true}, PngCase{"14400", "-Tpng -Gdpi=81\n", true},
        PngCase{"22104", "-Tpng -Gdpi=53\n", true},
        PngCase{"43200", "the picture is 57600 pixels across", false}}) {
    SCOPED_TRACE(c.points);
    stand_in(std::string("cat >/dev/null; echo 'Warning: odd' >&2; if [ \"$1\" = -Tdot ]; then "
                         "echo 'digraph { graph [bb=\"0,0,") +
             c.points + ",720\"]; }'; else echo \"$@\"; fi");
    RenderRequest png;
    png.format = "png";
    const Rendered rendered = pedprep::RenderWithDot("digraph {}", png, &image);
    EXPECT_EQ((rendered.problem.empty() ? image : rendered.problem).rfind(c.shown, 0), 0u)
        << image << rendered.problem;
    ASSERT_EQ(rendered.warnings.size(), c.wide ? 2u : 1u);
    EXPECT_EQ(rendered.warnings[0], "dot warns: odd");
    if (c.wide) {
      EXPECT_EQ(rendered.warnings[1].rfind("the picture is ", 0), 0u);
    }
  }

  // Several pictures in one run: split at each document's declaration, a later picture's root
  // group named as when drawn alone; a count that does not match is a problem.
  stand_in(
      "cat >/dev/null; for g in 0 1; do echo '<?xml version=\"1.0\"?>'; echo \"<svg><g "
      "id=\\\"$([ $g = 1 ] && echo page0,1_)graph0\\\" class=\\\"graph\\\"></g></svg>\"; done");
  std::vector<std::string> images;
  EXPECT_EQ(RenderSvgs({"digraph {}", "digraph {}"}, 10, &images), "");
  const std::string alone =
      "<?xml version=\"1.0\"?>\n<svg><g id=\"graph0\" class=\"graph\"></g></svg>\n";
  EXPECT_EQ(images, std::vector<std::string>({alone, alone}));
  EXPECT_EQ(RenderSvgs({"digraph {}", "digraph {}", "digraph {}"}, 10, &images),
            "dot drew 2 of 3 pictures");
  EXPECT_TRUE(images.empty());

  std::remove((dir + "/dot").c_str());
  setenv("PATH", dir.c_str(), 1);
  EXPECT_EQ(RenderWithDot("digraph {}", "png", 1, &image),
            "the Graphviz program dot is not installed; install it with: sudo apt-get install "
            "graphviz");
  setenv("PATH", saved.c_str(), 1);
  rmdir(dir.c_str());
#endif
}

// Many pictures at once (shared out over runs of dot when there are processors for it) come
// back in order, each as dot draws it alone.
TEST(DotRenderingTest, RenderSvgsDrawsEachAsAlone) {
  std::vector<std::string> dots;
  for (int k = 1; k <= 7; ++k) {
    std::string dot = "digraph loop {\n";  // anonymous graphs are numbered across a run
    for (int j = 0; j < k * k; ++j)
      dot += "  n" + std::to_string(j) + " -> n" + std::to_string(j / 2) + ";\n";
    dots.push_back(dot + "}\n");
  }
  std::vector<std::string> images;
  const std::string problem = RenderSvgs(dots, 20, &images);
  if (problem.find("not installed") != std::string::npos) GTEST_SKIP() << problem;
  ASSERT_EQ(problem, "");
  ASSERT_EQ(images.size(), dots.size());
  for (std::size_t k = 0; k < dots.size(); ++k) {
    SCOPED_TRACE(k);
    std::string alone;
    ASSERT_EQ(RenderWithDot(dots[k], "svg", 20, &alone), "");
    EXPECT_EQ(images[k], alone);
  }
}

}  // namespace
}  // namespace pedprep
