#include "inspect/dot_rendering.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace pedprep {
namespace {

std::string RenderWithDot(const std::string& dot, const std::string& format, int timeout_seconds,
                          std::string* image) {
  RenderRequest request;
  request.format = format;
  request.timeout_seconds = timeout_seconds;
  return pedprep::RenderWithDot(dot, request, image).problem;
}

// RenderWithDot against stand-ins for dot on PATH: the text goes through pipes both ways, a
// dot that cannot be found, one that fails after it started, one that hangs.
TEST(DotRenderingTest, RenderWithDotStandIns) {
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
  // would fall below 6 px; dot's warnings come back in words.
  struct PngCase {
    const char* inches;  // the picture's width
    const char* shown;   // the arguments of the rendering run, or the start of the problem
  };
  for (const PngCase& c :
       {PngCase{"170.66", "-Tpng\n"}, PngCase{"200", "-Tpng -Gdpi=81\n"},
        PngCase{"307", "-Tpng -Gdpi=53\n"}, PngCase{"600", "the picture is 57600 pixels across"}}) {
    SCOPED_TRACE(c.inches);
    stand_in(std::string("cat >/dev/null; echo 'Warning: odd' >&2; if [ \"$1\" = -Tplain ]; then "
                         "echo 'graph 1 ") +
             c.inches + " 10'; else echo \"$@\"; fi");
    RenderRequest png;
    png.format = "png";
    const Rendered rendered = pedprep::RenderWithDot("digraph {}", png, &image);
    EXPECT_EQ((rendered.problem.empty() ? image : rendered.problem).rfind(c.shown, 0), 0u)
        << image << rendered.problem;
    EXPECT_EQ(rendered.warnings[0], "dot warns: odd");
  }

  std::remove((dir + "/dot").c_str());
  setenv("PATH", dir.c_str(), 1);
  EXPECT_EQ(RenderWithDot("digraph {}", "png", 1, &image),
            "the Graphviz program dot is not installed; install it with: sudo apt-get install "
            "graphviz");
  setenv("PATH", saved.c_str(), 1);
  rmdir(dir.c_str());
}

}  // namespace
}  // namespace pedprep
