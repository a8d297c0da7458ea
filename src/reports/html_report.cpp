#include "reports/html_report.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "core/exit_status.h"
#include "figures/animal_table.h"
#include "figures/run_facts.h"
#include "pictures/draw.h"
#include "pictures/loop_finder.h"
#include "pictures/svg_plot.h"
#include "reading/observed_run.h"
#include "records/count_text.h"
#include "records/escape.h"
#include "reports/kinship.h"

namespace pedprep {
namespace {

constexpr std::size_t kLoopPictures = 20;
constexpr std::size_t kLoopsMeasured = 300;  // copies whose loops are found to rank them
constexpr std::size_t kCopiesListed = 100;
constexpr std::size_t kFamiliesPlotted = 40;
constexpr std::size_t kFamiliesListed = 500;
constexpr std::size_t kMostInbred = 20;
constexpr std::size_t kFamiliesInbred = 20;
constexpr const char* kNoBirthYears =
    "ids.csv gives no birth years (no born column, or none filled in), so there is no plot of ";

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:2em auto;max-width:60em;color:#222;line-height:1.4}"
    "h1{font-size:1.6em}h2{border-bottom:1px solid #ccc;margin-top:2em}"
    "table{border-collapse:collapse;margin:.5em 0}th,td{padding:.15em .6em;text-align:right;"
    "border-bottom:1px solid #eee}th{background:#f4f4f4}td.text,th.text{text-align:left}"
    ".status{padding:.6em 1em;border-radius:4px;font-weight:bold}"
    ".finished{background:#e6f4ea;border:1px solid #59a14f}"
    ".stopped{background:#fdecea;border:1px solid #e15759}"
    "pre{background:#f8f8f8;padding:.6em;overflow-x:auto}"
    "svg{max-width:100%;height:auto}figure{margin:1em 0}figcaption{font-size:.9em;color:#555}"
    ".swatch{display:inline-block;width:.9em;height:.9em;margin:0 .3em 0 1em;"
    "vertical-align:middle}.item{white-space:nowrap}.note{color:#555}dl.figures "
    "dt{float:left;clear:left;width:22em}"
    "dl.figures dd{margin:0 0 .2em 22em;font-weight:bold}"
    // dot's pictures (sizes in pt) keep their size, so 15-digit ids stay readable; they scroll.
    "figure{overflow-x:auto}figure svg[width$=\"pt\"]{max-width:none;height:auto}"
    "ul.todo li{margin:.4em 0}ul.todo pre{margin:.3em 0}";

std::string Esc(const std::string& text) { return EscapeMarkup(text); }

// One table: the header, then the rows; columns in `text` left-aligned.
std::string HtmlTable(const std::vector<std::string>& header,
                      const std::vector<std::vector<std::string>>& rows,
                      const std::vector<bool>& text = {}) {
  const auto cls = [&text](std::size_t c) {
    return c < text.size() && text[c] ? " class=\"text\"" : "";
  };
  std::string html = "<table>\n<tr>";
  for (std::size_t c = 0; c < header.size(); ++c) {
    html += std::string("<th") + cls(c) + ">" + Esc(header[c]) + "</th>";
  }
  html += "</tr>\n";
  for (const auto& row : rows) {
    html += "<tr>";
    for (std::size_t c = 0; c < row.size(); ++c) {
      html += std::string("<td") + cls(c) + ">" + Esc(row[c]) + "</td>";
    }
    html += "</tr>\n";
  }
  return html + "</table>\n";
}

std::string Paragraph(const std::string& text, const char* cls = nullptr) {
  return std::string("<p") + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" + Esc(text) +
         "</p>\n";
}

std::string Figure(const std::string& svg, const std::string& caption) {
  return "<figure>\n" + svg + "<figcaption>" + Esc(caption) + "</figcaption>\n</figure>\n";
}

std::string Legend(const std::vector<std::string>& names) {
  std::string html = "<p>";
  for (std::size_t k = 0; k < names.size(); ++k) {
    html += "<span class=\"item\"><span class=\"swatch\" style=\"background:" + SeriesColour(k) +
            "\"></span>" + Esc(names[k]) + "</span>";
  }
  return html + "</p>\n";
}

// The way forward as a list: one item per paragraph, its prose lines joined, its table lines
// (a run of two blanks after the indent) kept preformatted.
std::string WayForwardList(const std::string& way) {
  std::string html = "<ul class=\"todo\">\n";
  std::string prose;
  std::string table;
  bool open = false;
  auto flush = [&html, &prose, &table]() {
    if (!prose.empty()) html += Esc(prose);
    if (!table.empty()) html += "<pre>" + Esc(table) + "</pre>";
    prose.clear();
    table.clear();
  };
  std::istringstream lines(way);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t text = line.find_first_not_of(' ');
    if (text == std::string::npos) {
      flush();
      if (open) html += "</li>\n";
      open = false;
      continue;
    }
    if (!open) html += "<li>";
    open = true;
    if (line.find("  ", text) != std::string::npos || text > 2) {
      if (!prose.empty()) flush();
      table += line + "\n";
    } else {
      if (!table.empty()) flush();
      prose += (prose.empty() ? "" : " ") + line.substr(text);
    }
  }
  flush();
  if (open) html += "</li>\n";
  return html + "</ul>\n";
}

std::string Status(const RunFacts& facts, const std::string& folder) {
  const ObservedRun& run = facts.run();
  std::string html = "<h1>pedprep report: " + Esc(folder.empty() ? "." : folder) + "</h1>\n";
  const std::string& reason = facts.StopText();
  if (reason.empty()) {
    const int32_t rows = TotalCounts(run.families).rows;
    return html + Paragraph("The run finishes: ped.dat holds " + CountText(rows) + " rows.",
                            "status finished");
  }
  html += Paragraph("The run stops: " + reason + ".", "status stopped");
  html += "<h2>What to do</h2>\n";
  std::string way = facts.WayForward();
  const std::string heading = "\nWhat to do\n";
  if (way.compare(0, heading.size(), heading) == 0) way.erase(0, heading.size());
  if (way.empty()) {
    return html + Paragraph(
                      "Correct the input the reason names, then run pedprep again; "
                      "pedprep report tells what the next run would do.");
  }
  return html + WayForwardList(way);
}

std::string Families(const ObservedRun& run) {
  std::string html = "<h2>Families</h2>\n";
  if (run.families.empty()) return html + Paragraph("The run stops before the loop breaking.");
  std::vector<std::vector<std::string>> rows;
  const FamilyCounts total = TotalCounts(run.families);
  for (const FamilyCounts& f : run.families) {
    if (rows.size() < kFamiliesListed) {
      rows.push_back({std::to_string(f.family), CountText(f.read), CountText(f.loop),
                      CountText(f.parent), CountText(f.rows)});
    }
  }
  rows.push_back({"total", CountText(total.read), CountText(total.loop), CountText(total.parent),
                  CountText(total.rows)});
  if (run.families.size() > kFamiliesListed) {
    html += Paragraph("The first " + CountText(static_cast<long long>(kFamiliesListed)) + " of " +
                      CountText(static_cast<long long>(run.families.size())) +
                      " families, and the total.");
  }
  if (!run.structure_done) html += Paragraph("As far as the loop breaking came.", "note");
  return html +
         HtmlTable({"family", "animals read", "loop-break copies", "parent copies", "rows"}, rows);
}

// The loop-break copies section, begun: its text up to the pictures, and the pictures of the
// largest loops asked for. FinishLoopCopies adds them when they are drawn.
struct PendingLoops {
  std::string html;
  std::vector<std::pair<std::size_t, int32_t>> sizes;  // (steps of the loop, position), drawn
  std::optional<std::future<LoopPictures>> pictures;
};

PendingLoops StartLoopCopies(const RunFacts& facts, const LoopPicture& loop_picture) {
  const ObservedRun& run = facts.run();
  PendingLoops pending;
  std::string& html = pending.html;
  html = "<h2>Loop-break copies</h2>\n";
  html +=
      Paragraph(CountText(static_cast<long long>(run.loop_copies.size())) + " loop-break copies, " +
                CountText(static_cast<long long>(run.parent_copies.size())) + " parent copies.");
  if (run.loop_copies.empty()) return pending;
  std::vector<std::vector<std::string>> rows;
  for (const LoopCopy& c : run.loop_copies) {
    if (rows.size() == kCopiesListed) break;
    rows.push_back({c.copy_position == 0 ? "" : std::to_string(c.copy_position),
                    std::to_string(c.family), std::to_string(c.copy), std::to_string(c.original),
                    std::to_string(c.ini_id), run.Id(c.ini_id),
                    "father " + std::to_string(c.father) + ", mother " + std::to_string(c.mother)});
  }
  if (run.loop_copies.size() > kCopiesListed) {
    html += Paragraph("The first " + CountText(static_cast<long long>(kCopiesListed)) +
                      " copies (pedprep report " + "--csv lists them all).");
  }
  html += HtmlTable(
      {"position", "family", "copy", "original", "ini_id", "id", "given to the children of"}, rows,
      {false, false, false, false, false, true, true});

  html += "<h3>The largest loops</h3>\n";
  if (run.status != kExitSuccess) {
    html += Paragraph(
        "The run stops, so the copies have no positions in ped.dat and no loop is drawn.", "note");
    return pending;
  }
  // Finding a loop searches its family, so a run with many copies has every k-th measured.
  const std::size_t every = (run.loop_copies.size() + kLoopsMeasured - 1) / kLoopsMeasured;
  std::vector<int32_t> measured;
  for (std::size_t k = 0; k < run.loop_copies.size(); k += every) {
    measured.push_back(run.loop_copies[k].copy_position);
  }
  const std::vector<std::size_t> steps = BrokenLoopSizes(run, measured);
  std::vector<std::pair<std::size_t, int32_t>>& sizes = pending.sizes;
  for (std::size_t k = 0; k < measured.size(); ++k) {
    if (steps[k] > 0) sizes.emplace_back(steps[k], measured[k]);
  }
  if (every > 1) {
    html += Paragraph("The largest of the loops of one copy in " +
                      CountText(static_cast<long long>(every)) + " (" +
                      CountText(static_cast<long long>(sizes.size())) + " loops measured).");
  }
  std::stable_sort(sizes.begin(), sizes.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  if (sizes.size() > kLoopPictures) sizes.resize(kLoopPictures);
  std::vector<int32_t> positions;
  for (const auto& size : sizes) positions.push_back(size.second);
  pending.pictures = loop_picture(facts, positions);
  return pending;
}

std::string FinishLoopCopies(PendingLoops& pending) {
  std::string html = std::move(pending.html);
  if (!pending.pictures) return html;
  const LoopPictures pictures = pending.pictures->get();
  for (std::size_t k = 0; k < pending.sizes.size(); ++k) {
    if (k == pictures.svgs.size()) {
      return html + Paragraph("No pictures: " + pictures.note + ".", "note");
    }
    const auto& [steps, position] = pending.sizes[k];
    html +=
        Figure(pictures.svgs[k], "The loop that the copy at position " + std::to_string(position) +
                                     " breaks: " + CountText(static_cast<long long>(steps / 2)) +
                                     " animals and " +
                                     CountText(static_cast<long long>(steps / 2)) + " matings.");
  }
  return html;
}

// Means of `value` by the integer class `of` (generation, year), classes in order.
BarChart MeansBy(const std::vector<const AnimalRow*>& animals,
                 const std::function<std::optional<int32_t>(const AnimalRow&)>& of,
                 const std::function<double(const AnimalRow&)>& value) {
  std::map<int32_t, std::pair<double, long>> sums;
  for (const AnimalRow* row : animals) {
    const std::optional<int32_t> key = of(*row);
    if (!key) continue;
    sums[*key].first += value(*row);
    ++sums[*key].second;
  }
  BarChart chart;
  chart.value_decimals = 4;
  for (const auto& [key, sum] : sums) {
    chart.labels.push_back(std::to_string(key));
    chart.values.push_back(sum.first / static_cast<double>(sum.second));
  }
  return chart;
}

// Counts of the animals in classes of `width` of `value`, from 0 up to at least `least`.
BarChart HistogramOf(const std::vector<const AnimalRow*>& animals,
                     const std::function<double(const AnimalRow&)>& value, double width,
                     double least, int decimals, const std::string& x_label) {
  std::vector<double> values;
  double largest = 0.0;
  for (const AnimalRow* row : animals) {
    values.push_back(value(*row));
    largest = std::max(largest, values.back());
  }
  const double high = std::max(least, std::ceil(largest / width) * width);
  BarChart histogram =
      Histogram(values, 0.0, high, static_cast<int>(std::lround(high / width)), decimals);
  histogram.x_label = x_label;
  histogram.y_label = "animals";
  return histogram;
}

std::string Inbreeding(const ObservedRun& run, const std::vector<const AnimalRow*>& animals) {
  std::string html = "<h2>Inbreeding</h2>\n";
  if (animals.empty()) return html + Paragraph("No animal has figures.");
  // The animals with F = 0 are counted, not drawn: their one bar would hide the others.
  std::vector<const AnimalRow*> inbred;
  for (const AnimalRow* row : animals) {
    if (row->inbreeding > 0) inbred.push_back(row);
  }
  const std::string zero = CountText(static_cast<long long>(animals.size() - inbred.size())) +
                           " of the " + CountText(static_cast<long long>(animals.size())) +
                           " animals read (dummies left out) have F = 0";
  if (inbred.empty()) {
    html +=
        Paragraph("No histogram of F: all " + CountText(static_cast<long long>(animals.size())) +
                  " animals read (dummies left out) have F = 0.");
  } else {
    const BarChart histogram = HistogramOf(
        inbred, [](const AnimalRow& r) { return r.inbreeding; }, 0.025, 0.25, 3,
        "inbreeding coefficient F (classes of 0.025)");
    html += Figure(BarChartSvg(histogram), "Inbreeding of the " +
                                               CountText(static_cast<long long>(inbred.size())) +
                                               " animals with F > 0; " + zero + ".");
  }
  BarChart by_generation = MeansBy(
      animals, [](const AnimalRow& r) { return std::optional<int32_t>(r.generation); },
      [](const AnimalRow& r) { return r.inbreeding; });
  by_generation.x_label = "generation";
  by_generation.y_label = "mean F";
  html += Figure(BarChartSvg(by_generation), "Mean inbreeding by generation.");
  if (run.HasBirthYears()) {
    BarChart by_year = MeansBy(
        animals,
        [&run](const AnimalRow& r) -> std::optional<int32_t> { return run.BirthYear(r.ini_id); },
        [](const AnimalRow& r) { return r.inbreeding; });
    by_year.x_label = "year of birth";
    by_year.y_label = "mean F";
    html += Figure(BarChartSvg(by_year), "Mean inbreeding by year of birth (ids.csv).");
  } else {
    html += Paragraph(kNoBirthYears + std::string("mean inbreeding by year of birth."), "note");
  }
  return html;
}

// Mean fractions of the animals grouped by `of`, in the order of the groups' keys.
StackedBars MeanFractions(const std::vector<const AnimalRow*>& animals, std::size_t breeds,
                          const std::function<std::optional<int32_t>(const AnimalRow&)>& of) {
  std::map<int32_t, std::pair<std::vector<double>, long>> sums;
  for (const AnimalRow* row : animals) {
    const std::optional<int32_t> key = of(*row);
    if (!key || row->fractions.size() != breeds) continue;
    auto& [sum, count] = sums[*key];
    sum.resize(breeds, 0.0);
    for (std::size_t k = 0; k < breeds; ++k) sum[k] += row->fractions[k];
    ++count;
  }
  StackedBars bars;
  for (auto& [key, sum] : sums) {
    bars.labels.push_back(std::to_string(key));
    for (double& part : sum.first) part /= static_cast<double>(sum.second);
    bars.parts.push_back(sum.first);
  }
  return bars;
}

std::string BreedComposition(const ObservedRun& run, const AnimalTable& table,
                             const std::vector<const AnimalRow*>& animals) {
  std::string html = "<h2>Breed composition</h2>\n";
  if (run.blood_rows.empty()) {
    return html + Paragraph("No breed fractions: the run stops before the blood step ends.");
  }
  std::map<int32_t, long> sizes;
  for (const AnimalRow* row : animals) ++sizes[row->family];
  std::vector<std::pair<long, int32_t>> largest;
  for (const auto& [family, size] : sizes) largest.emplace_back(size, family);
  std::stable_sort(largest.begin(), largest.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  if (largest.size() > kFamiliesPlotted) largest.resize(kFamiliesPlotted);
  std::map<int32_t, bool> shown;
  for (const auto& entry : largest) shown[entry.second] = true;
  StackedBars by_family = MeanFractions(animals, table.breeds.size(),
                                        [&shown](const AnimalRow& r) -> std::optional<int32_t> {
                                          if (shown.count(r.family) == 0) return std::nullopt;
                                          return r.family;
                                        });
  by_family.x_label = "family";
  by_family.series = table.breeds;
  html += Legend(table.breeds);
  html +=
      Figure(StackedBarsSvg(by_family),
             "Mean breed composition per family" +
                 std::string(sizes.size() > kFamiliesPlotted
                                 ? " (the " + CountText(static_cast<long long>(kFamiliesPlotted)) +
                                       " largest of " +
                                       CountText(static_cast<long long>(sizes.size())) + ")"
                                 : "") +
                 ".");
  if (run.HasBirthYears()) {
    StackedBars by_year = MeanFractions(
        animals, table.breeds.size(),
        [&run](const AnimalRow& r) -> std::optional<int32_t> { return run.BirthYear(r.ini_id); });
    by_year.x_label = "year of birth";
    by_year.series = table.breeds;
    html += Figure(StackedBarsSvg(by_year), "Mean breed composition by year of birth.");
  } else {
    html +=
        Paragraph(kNoBirthYears + std::string("mean breed composition by year of birth."), "note");
  }
  return html;
}

std::string Completeness(const std::vector<const AnimalRow*>& animals) {
  std::string html = "<h2>Completeness</h2>\n";
  if (animals.empty()) return html + Paragraph("No animal has figures.");
  const BarChart histogram = HistogramOf(
      animals, [](const AnimalRow& r) { return r.ecg; }, 0.5, 1.0, 1,
      "equivalent complete generations (classes of 0.5)");
  return html + Figure(BarChartSvg(histogram),
                       "Equivalent complete generations of the " +
                           CountText(static_cast<long long>(animals.size())) + " animals read.");
}

// The overall figures: inbreeding, completeness, then the founders' figures of the
// reference population.
std::string Overall(const std::vector<const AnimalRow*>& animals, const AnimalTable& table,
                    const PopulationFigures& figures) {
  std::string html = "<h2>Overall figures</h2>\n<dl class=\"figures\">\n";
  auto figure = [&html](const std::string& name, const std::string& value) {
    html += "<dt>" + Esc(name) + "</dt><dd>" + Esc(value) + "</dd>\n";
  };
  if (!animals.empty()) {
    double sum_f = 0;
    double max_f = 0;
    double sum_ecg = 0;
    std::size_t inbred = 0;
    for (const AnimalRow* row : animals) {
      sum_f += row->inbreeding;
      max_f = std::max(max_f, row->inbreeding);
      sum_ecg += row->ecg;
      inbred += row->inbreeding > 0 ? 1 : 0;
    }
    const auto count = static_cast<double>(animals.size());
    figure("animals read (dummies left out)", CountText(static_cast<long long>(animals.size())));
    figure("mean inbreeding F", FixedDecimals(sum_f / count, 6));
    figure("largest F", FixedDecimals(max_f, 6));
    figure("animals with F > 0", CountText(static_cast<long long>(inbred)));
    figure("mean ecg of the animals read", FixedDecimals(sum_ecg / count, 2));
  }
  std::ostringstream lines;
  WriteOverallFigures(figures.overall, lines);
  if (const auto kinship = MeanKinship(table.links, table.figures, figures.members)) {
    lines << "mean kinship: " << FixedDecimals(*kinship, 6) << "\n"
          << "gene diversity: " << FixedDecimals(1.0 - *kinship, 6) << "\n";
  }
  WriteCautions(figures, lines);
  std::string line;
  for (std::istringstream in(lines.str()); std::getline(in, line);) {
    const std::size_t colon = line.find(": ");
    figure(line.substr(0, colon), colon == std::string::npos ? "" : line.substr(colon + 2));
  }
  html += "</dl>\n";
  return html +
         Paragraph("Founders' figures over the reference population: " + figures.reference + ".");
}

// Mean and max F per family as the text report gives them (real animals only): the
// kFamiliesInbred with the highest mean F.
std::string InbreedingPerFamily(const RunFacts& facts) {
  std::string html = "<h2>Inbreeding by family</h2>\n";
  const std::vector<FamilyFigures>& families = facts.PerFamily();
  std::vector<const FamilyFigures*> inbred;
  for (const FamilyFigures& f : families) {
    if (f.max_value > 0) inbred.push_back(&f);
  }
  const std::size_t none = families.size() - inbred.size();
  if (inbred.empty()) return html + Paragraph("No family has an inbred animal (F = 0 for all).");
  std::stable_sort(inbred.begin(), inbred.end(),
                   [](const auto* a, const auto* b) { return a->mean_value > b->mean_value; });
  if (inbred.size() > kFamiliesInbred) {
    html += Paragraph("The " + CountText(static_cast<long long>(kFamiliesInbred)) + " of the " +
                      CountText(static_cast<long long>(inbred.size())) +
                      " families with inbred animals that have the highest mean F.");
    inbred.resize(kFamiliesInbred);
  }
  if (none > 0) {
    html += Paragraph(CountText(static_cast<long long>(none)) +
                      (none == 1 ? " family has" : " families have") +
                      " no inbred animal (F = 0 for all), not listed.");
  }
  std::vector<std::vector<std::string>> rows;
  for (const FamilyFigures* f : inbred) {
    rows.push_back({std::to_string(f->family), CountText(static_cast<long long>(f->animals)),
                    f->mean_f, f->max_f});
  }
  return html + HtmlTable({"family", "animals", "mean F", "max F"}, rows);
}

// The most inbred animals: id, FAMILY:INDIVIDUAL, F and the parents' ids.
std::string MostInbred(const RunFacts& facts) {
  const ObservedRun& run = facts.run();
  const AnimalTable& table = *facts.Animals();
  std::string html = "<h2>The most inbred animals</h2>\n";
  std::vector<const AnimalRow*> inbred;
  for (const AnimalRow* row : facts.Counted()) {
    if (row->inbreeding > 0) inbred.push_back(row);
  }
  if (inbred.empty()) return html + Paragraph("No animal is inbred (F = 0 for all).");
  std::stable_sort(inbred.begin(), inbred.end(), [](const AnimalRow* a, const AnimalRow* b) {
    return a->inbreeding > b->inbreeding;
  });
  if (inbred.size() > kMostInbred) inbred.resize(kMostInbred);
  auto id = [&run](const AnimalRow& row) {
    const std::string text = run.Id(row.ini_id);
    return text.empty() ? "ini_id " + std::to_string(row.ini_id) : text;
  };
  // A parent is named when it is counted (the parents of an animal with figures have them).
  auto parent = [&](int32_t index) -> std::string {
    if (index == kUnknownParent) return "unknown";
    const AnimalRow* row = facts.Lookup().AtLine(index + 1);
    if (row != nullptr && row->dummy) return "dummy";
    return row == nullptr || !row->has_figures ? "" : id(*row);
  };
  std::vector<std::vector<std::string>> rows;
  for (const AnimalRow* row : inbred) {
    const std::size_t line = static_cast<std::size_t>(row->source) - 1;
    const ParentLinks links = line < table.links.size() ? table.links[line] : ParentLinks{};
    rows.push_back({id(*row), std::to_string(row->family) + ":" + std::to_string(row->individual),
                    FixedDecimals(row->inbreeding, 4), parent(links.father), parent(links.mother)});
  }
  return html + HtmlTable({"id", "family:individual", "F", "sire", "dam"}, rows,
                          {true, false, false, true, true});
}

std::string Founders(const RunFacts& facts, const PopulationFigures& figures) {
  std::string html = "<h2>Founders</h2>\n";
  html += Paragraph("Reference population: " + figures.reference + ".");
  if (figures.overall.reference == 0) return html;
  std::vector<std::vector<std::string>> rows;
  const auto shown = [](const std::optional<double>& v) {
    return v ? FixedDecimals(*v, 2) : std::string();
  };
  for (const auto& [family, f] : figures.families) {
    if (f.reference == 0 || rows.size() == kFamiliesListed) continue;
    rows.push_back({std::to_string(family), CountText(static_cast<long long>(f.reference)),
                    CountText(static_cast<long long>(f.founders)), FixedDecimals(f.MeanEcg(), 4),
                    shown(f.Fe()), shown(f.Fa()), shown(f.Ne())});
  }
  html += "<h3>Per family</h3>\n" +
          HtmlTable({"family", "reference", "founders", "mean ecg", "fe", "fa", "Ne"}, rows);
  rows.clear();
  for (const BreedContribution& breed : ContributionsByBreed(facts, figures.overall)) {
    std::string largest;
    for (const auto& [name, p] : breed.largest) {
      largest += (largest.empty() ? "" : ", ") + name + " " + FixedDecimals(p, 4);
    }
    rows.push_back({breed.breed, CountText(static_cast<long long>(breed.founders)),
                    FixedDecimals(breed.contribution, 4), largest});
  }
  return html + "<h3>Per breed</h3>\n" +
         HtmlTable({"breed", "founders", "contribution", "largest contributions"}, rows,
                   {true, false, false, true});
}

}  // namespace

std::string InlineSvg(const std::string& document) {
  const std::size_t start = document.find("<svg");
  return start == std::string::npos ? "" : document.substr(start);
}

std::string HtmlReport(const RunFacts& facts, const HtmlRequest& request,
                       const LoopPicture& loop_picture, std::string* problem) {
  const ObservedRun& run = facts.run();
  const AnimalTable& table = *facts.Animals();
  PopulationFigures figures;
  *problem = ComputePopulation(facts, request.reference, &figures);
  if (!problem->empty()) return "";
  // The loop pictures are asked for first: dot lays them out while the rest is made.
  PendingLoops loops = StartLoopCopies(facts, loop_picture);
  const std::vector<const AnimalRow*>& animals = facts.Counted();
  const std::string title = request.folder_name.empty() ? "." : request.folder_name;
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>pedprep report: " +
      Esc(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  // The answers first: the status, the overall figures, inbreeding by family and the most
  // inbred animals; then the plots; then the families, the copies and their pictures.
  html += Status(facts, request.folder_name);
  html += Overall(animals, table, figures);
  html += InbreedingPerFamily(facts);
  html += MostInbred(facts);
  html += Inbreeding(run, animals);
  html += BreedComposition(run, table, animals);
  html += Completeness(animals);
  html += Families(run);
  html += FinishLoopCopies(loops);
  html += Founders(facts, figures);
  return html + "</body>\n</html>\n";
}

std::future<LoopPictures> ReadyPictures(LoopPictures pictures) {
  std::promise<LoopPictures> ready;
  ready.set_value(std::move(pictures));
  return ready.get_future();
}

int RunHtmlReport(const RunFacts& facts, const HtmlRequest& request,
                  const LoopPicture& loop_picture, std::ostream& out, std::ostream& err) {
  if (facts.AnimalsOrFault("report", err) == nullptr) return kExitInternal;
  std::string problem;
  const std::string page = HtmlReport(facts, request, loop_picture, &problem);
  if (page.empty()) {
    err << "pedprep report: " << problem << "\n";
    return kExitStopped;
  }
  out << page;
  return kExitSuccess;
}

}  // namespace pedprep
