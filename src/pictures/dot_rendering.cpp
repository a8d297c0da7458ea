#include "pictures/dot_rendering.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <thread>

#include "core/command_runner.h"
#include "core/side_work.h"
#include "pictures/pdf_pages.h"

namespace pedprep {
namespace {

// RenderSvgs shares out this many pictures or more over two runs of dot.
constexpr std::size_t kPicturesToShare = 4;

// Runs dot with `args` on `dot`; "" with its output in `out`, else the problem. Its warnings
// are added to `warnings`.
std::string RunDot(const std::vector<std::string>& args, const std::string& dot, int timeout,
                   std::string* out, std::vector<std::string>* warnings) {
  std::vector<std::string> argv = {"dot"};
  argv.insert(argv.end(), args.begin(), args.end());
  ProcessResult result = RunProcess(argv, dot, timeout);
  out->clear();
  switch (result.end) {
    case ProcessResult::End::kNotFound:
#if defined(_WIN32)
      return "the Graphviz program dot is not installed; install Graphviz from graphviz.org with "
             "dot on the PATH";
#else
      return "the Graphviz program dot is not installed; install it with: sudo apt-get install "
             "graphviz";
#endif
    case ProcessResult::End::kNotStarted:
      return "cannot start dot: " + result.problem;
    case ProcessResult::End::kTimedOut:
      return "dot did not finish within " + std::to_string(timeout) +
             " s (--timeout); draw less with --around, --copy or --core";
    case ProcessResult::End::kSignalled:
      return "dot was ended by signal " + std::to_string(result.signal);
    case ProcessResult::End::kExited:
      break;
  }
  if (result.exit_status != 0) {
    const std::string said = result.errors.substr(0, result.errors.find('\n'));
    return "dot failed (exit status " + std::to_string(result.exit_status) + ")" +
           (said.empty() ? "" : ": " + said);
  }
  std::istringstream lines(result.errors);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) warnings->push_back(DotWarningInWords(line));
  }
  *out = std::move(result.output);
  return "";
}

// The tokens of DOT text: names, numbers and quoted strings (unquoted, escapes of quotes and
// backslashes resolved, continued lines joined), "->", "--" and single characters.
std::vector<std::string> DotTokens(const std::string& text) {
  std::vector<std::string> tokens;
  auto name_char = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' ||
           static_cast<unsigned char>(c) >= 0x80;
  };
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      ++at;
    } else if (c == '"') {
      std::string token;
      for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] == '\\' && at + 1 < text.size()) {
          ++at;
          if (text[at] == '\n') continue;
          if (text[at] != '"' && text[at] != '\\') token += '\\';
        }
        token += text[at];
      }
      tokens.push_back(token);
      ++at;
    } else if (c == '<') {  // an HTML-like string: kept whole
      const std::size_t start = at;
      for (int depth = 0; at < text.size(); ++at) {
        depth += text[at] == '<' ? 1 : text[at] == '>' ? -1 : 0;
        if (depth == 0) break;
      }
      tokens.push_back(text.substr(start, ++at - start));
    } else if (c == '-' && at + 1 < text.size() && (text[at + 1] == '>' || text[at + 1] == '-')) {
      tokens.push_back(text.substr(at, 2));
      at += 2;
    } else if (name_char(c) || c == '-') {
      const std::size_t start = at;
      for (++at; at < text.size() && name_char(text[at]); ++at) {
      }
      tokens.push_back(text.substr(start, at - start));
    } else {
      tokens.emplace_back(1, c);
      ++at;
    }
  }
  return tokens;
}

// The numbers of a list as "e,1,2 3.5,4" (anything not a number separates).
std::vector<double> NumbersIn(const std::string& text) {
  std::vector<double> numbers;
  for (const char* at = text.c_str(); *at != '\0';) {
    char* end = nullptr;
    const double value = std::strtod(at, &end);
    if (end == at) {
      ++at;
    } else {
      numbers.push_back(value);
      at = end;
    }
  }
  return numbers;
}

// RenderSvgs with one run of dot for all of `dots`.
std::string RenderSvgsInOneRun(const std::vector<std::string>& dots, int timeout_seconds,
                               std::vector<std::string>* images) {
  images->clear();
  if (dots.empty()) return "";
  std::string all;
  for (const std::string& dot : dots) all += dot;
  std::string out;
  std::vector<std::string> warnings;
  const int timeout = timeout_seconds * static_cast<int>(std::min<std::size_t>(dots.size(), 20));
  std::string problem = RunDot({"-Tsvg"}, all, timeout, &out, &warnings);
  if (!problem.empty()) return problem;
  // One document per graph, each opened by its XML declaration (text in labels is escaped).
  // dot names the root group of every graph after the first as on a later page; a picture
  // drawn alone names it "graph0".
  const std::string declaration = "<?xml ";
  const std::string later_root = "<g id=\"page0,1_graph0\" class=\"graph\"";
  const std::string root = "<g id=\"graph0\" class=\"graph\"";
  std::vector<std::string> documents;
  for (std::size_t at = out.find(declaration); at != std::string::npos;) {
    const std::size_t end = out.find(declaration, at + declaration.size());
    documents.push_back(out.substr(at, end == std::string::npos ? end : end - at));
    at = end;
  }
  if (documents.size() != dots.size() || out.rfind(declaration, 0) != 0) {
    return "dot drew " + std::to_string(documents.size()) + " of " + std::to_string(dots.size()) +
           " pictures";
  }
  for (std::size_t k = 1; k < documents.size(); ++k) {
    const std::size_t at = documents[k].find(later_root);
    if (at != std::string::npos && documents[k].find(root) == std::string::npos) {
      documents[k].replace(at, later_root.size(), root);
    }
  }
  *images = std::move(documents);
  return "";
}

}  // namespace

std::string RenderSvgs(const std::vector<std::string>& dots, int timeout_seconds,
                       std::vector<std::string>* images) {
  images->clear();
  if (dots.empty()) return "";
  // Two runs of dot at once when there are pictures enough and a second processor to lay
  // them out: the even pictures in one, the odd in the other (pictures come largest first, so
  // both get some of each size).
  const bool share = dots.size() >= kPicturesToShare && std::thread::hardware_concurrency() >= 2;
  std::vector<std::string> even;
  std::vector<std::string> odd;
  for (std::size_t k = 0; k < dots.size(); ++k)
    (share && k % 2 == 1 ? odd : even).push_back(dots[k]);
  std::vector<std::string> odd_images;
  std::string odd_problem;
  SideWork odd_run(
      [&] {
        if (!odd.empty()) odd_problem = RenderSvgsInOneRun(odd, timeout_seconds, &odd_images);
      },
      !odd.empty());
  std::vector<std::string> even_images;
  const std::string even_problem = RenderSvgsInOneRun(even, timeout_seconds, &even_images);
  odd_run.Wait();
  if (!even_problem.empty()) return even_problem;
  if (!odd_problem.empty()) return odd_problem;
  for (std::size_t k = 0; k < dots.size(); ++k) {
    images->push_back(
        std::move(k % 2 == 1 && share ? odd_images[k / 2] : even_images[share ? k / 2 : k]));
  }
  return "";
}

PictureLayout LayoutOfDot(const std::string& laid_out) {
  PictureLayout layout;
  const std::vector<std::string> tokens = DotTokens(laid_out);
  std::vector<std::string> statement;  // the tokens before an attribute list
  bool root = true;
  double left = 0;
  double bottom = 0;
  for (std::size_t at = 0; at < tokens.size(); ++at) {
    const std::string& token = tokens[at];
    if (token == ";" || token == "{" || token == "}") {
      statement.clear();
      continue;
    }
    if (token != "[") {
      statement.push_back(token);
      continue;
    }
    std::map<std::string, std::string> attributes;
    for (++at; at < tokens.size() && tokens[at] != "]"; ++at) {
      if (at + 2 < tokens.size() && tokens[at + 1] == "=") {
        attributes[tokens[at]] = tokens[at + 2];
        at += 2;
      }
    }
    const std::string kind = statement.empty() ? "" : statement.front();
    const bool edge = std::count(statement.begin(), statement.end(), "->") != 0 ||
                      std::count(statement.begin(), statement.end(), "--") != 0;
    statement.clear();
    auto number = [&attributes](const std::string& key) {
      auto it = attributes.find(key);
      return it == attributes.end() ? std::vector<double>() : NumbersIn(it->second);
    };
    auto mark = [&layout, &left, &bottom](const std::vector<double>& xy) {
      for (std::size_t k = 0; k + 1 < xy.size(); k += 2) {
        layout.marks.push_back(
            {xy[k] - left, xy[k + 1] - bottom, xy[k] - left, xy[k + 1] - bottom});
      }
    };
    auto box = [&layout, &left, &bottom](const std::vector<double>& xy, double width,
                                         double height) {
      if (xy.size() < 2) return;
      layout.boxes.push_back({xy[0] - width / 2 - left, xy[1] - height / 2 - bottom,
                              xy[0] + width / 2 - left, xy[1] + height / 2 - bottom});
    };
    if (kind == "node" || kind == "edge") continue;
    if (kind == "graph") {
      const std::vector<double> bb = number("bb");
      if (root && bb.size() == 4) {
        left = bb[0];
        bottom = bb[1];
        layout.width = bb[2] - bb[0];
        layout.height = bb[3] - bb[1];
      }
      root = false;
      const std::vector<double> width = number("lwidth");
      const std::vector<double> height = number("lheight");
      if (!width.empty() && !height.empty()) box(number("lp"), width[0] * 72, height[0] * 72);
    } else if (edge) {
      std::vector<double> points = number("pos");
      mark(points);
      mark(number("lp"));
      mark(number("xlp"));
    } else {
      const std::vector<double> width = number("width");
      const std::vector<double> height = number("height");
      if (!width.empty() && !height.empty()) box(number("pos"), width[0] * 72, height[0] * 72);
      mark(number("xlp"));
    }
  }
  return layout;
}

std::string DotWarningInWords(const std::string& line) {
  std::string text = line;
  for (const char* prefix : {"Warning: ", "Error: "}) {
    if (text.rfind(prefix, 0) == 0) text.erase(0, std::char_traits<char>::length(prefix));
  }
  if (text.find("too large for cairo-renderer bitmaps") != std::string::npos) {
    return "dot scaled the picture down to fit a bitmap (" + text + ")";
  }
  if (text.find("non-ASCII character") != std::string::npos) {
    return "dot has no font widths for some characters of the labels; their boxes may be too "
           "narrow (" +
           text + ")";
  }
  return "dot warns: " + text;
}

Rendered RenderWithDot(const std::string& dot, const RenderRequest& request, std::string* image) {
  Rendered rendered;
  image->clear();
  std::vector<std::string> args = {"-T" + request.format};
  std::string laid_out;
  std::vector<std::string> said_twice;  // the drawing run says the same again
  rendered.problem = RunDot({"-Tdot"}, dot, request.timeout_seconds, &laid_out, &said_twice);
  if (!rendered.problem.empty()) return rendered;
  const PictureLayout layout = LayoutOfDot(laid_out);
  const double width = layout.width;
  const double height = layout.height;
  std::string wide;
  if (width / 72 * 96 > kWidePicturePixels) {
    wide = ("the picture is " + std::to_string(std::lround(width / 72 * 96)) +
            " pixels wide at 96 dpi; --compact folds full sibs into one box, and a smaller "
            "--up or --down draws less");
  }
  if (request.format == "pdf") args.push_back("-Gmargin=0");
  if (request.format == "png") {
    if (width > 0 && height > 0) {
      // dot draws PNG at 96 pixels per inch.
      const double side = std::max(width, height) / 72 * 96;
      if (side > kMaxPngSide) {
        const double dpi = std::floor(96 * kMaxPngSide / side);
        if (10.0 / 72 * dpi < kMinLabelPixels) {
          rendered.problem = "the picture is " + std::to_string(std::lround(side)) +
                             " pixels across, more than a PNG of at most " +
                             std::to_string(static_cast<long>(kMaxPngSide)) +
                             " pixels a side can show readably; write SVG or PDF (-o x.svg, "
                             "-o x.pdf) or draw less with --around";
          rendered.warnings = said_twice;
          return rendered;
        }
        args.push_back("-Gdpi=" + std::to_string(static_cast<long>(dpi)));
      }
    }
  }
  rendered.problem = RunDot(args, dot, request.timeout_seconds, image, &rendered.warnings);
  if (!wide.empty()) rendered.warnings.push_back(wide);
  if (!rendered.problem.empty() || request.format != "pdf") return rendered;
  const std::optional<Paper> paper = PaperNamed(request.paper);
  if (!paper) {
    rendered.problem = "no paper " + request.paper + " (a4, a3 or letter)";
  } else {
    *image = PlaceOnPaper(*image, layout, *paper, &rendered.problem);
  }
  if (!rendered.problem.empty()) image->clear();
  return rendered;
}

}  // namespace pedprep
