// Simple plots as inline SVG for the HTML report: bar charts (histograms, means by a class)
// and stacked bars (shares of a whole), drawn by our own code, nothing fetched.
//
// Every plot is one <svg> element 720 x 280 user units with a viewBox (it scales with the
// page), the plot area framed by a left axis with 5 ticks and a bottom axis whose labels are
// thinned to at most 24; text is escaped (records/escape.h). A bar carries a <title> with its label
// and value, which browsers show on hover.
#ifndef PEDPREP_INSPECT_SVG_PLOT_H_
#define PEDPREP_INSPECT_SVG_PLOT_H_

#include <string>
#include <vector>

namespace pedprep {

struct BarChart {
  std::string x_label;
  std::string y_label;
  std::vector<std::string> labels;  // one per bar
  std::vector<double> values;       // one per bar, >= 0 (negative drawn as 0)
  int value_decimals = 0;           // of the values in the titles and on the axis
};

struct StackedBars {
  std::string x_label;
  std::vector<std::string> labels;         // one per bar
  std::vector<std::string> series;         // one per part of a bar, with the legend's names
  std::vector<std::vector<double>> parts;  // [bar][series], each bar's parts add up to 1
};

std::string BarChartSvg(const BarChart& chart);
std::string StackedBarsSvg(const StackedBars& bars);

// A histogram's bars: counts of `values` in `bins` equal classes from `low` to `high` (the
// last class closed, values outside counted in the nearest class), labelled by their lower
// bounds with `decimals` decimals.
BarChart Histogram(const std::vector<double>& values, double low, double high, int bins,
                   int decimals);

// The colour of series k: ten distinct hues, then grey.
std::string SeriesColour(std::size_t k);

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_SVG_PLOT_H_
