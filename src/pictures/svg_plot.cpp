#include "pictures/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "records/escape.h"

namespace pedprep {
namespace {

constexpr double kWidth = 720.0;
constexpr double kHeight = 280.0;
constexpr double kLeft = 64.0;  // room for the value axis
constexpr double kRight = 16.0;
constexpr double kTop = 16.0;
constexpr double kBottom = 56.0;  // room for the labels and the axis name
constexpr std::size_t kMostLabels = 24;

std::string Number(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", std::clamp(decimals, 0, 6), value);
  return text;
}

std::string Open(const std::string& description) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + Number(kWidth, 0) + " " +
         Number(kHeight, 0) + "\" width=\"" + Number(kWidth, 0) + "\" height=\"" +
         Number(kHeight, 0) + "\" role=\"img\" aria-label=\"" + EscapeMarkup(description) + "\">\n";
}

std::string Text(double x, double y, const std::string& text, const char* anchor,
                 const std::string& extra = "") {
  return "<text x=\"" + Number(x, 1) + "\" y=\"" + Number(y, 1) + "\" text-anchor=\"" + anchor +
         "\"" + extra + ">" + EscapeMarkup(text) + "</text>\n";
}

// The frame, the value axis up to `top` with 5 ticks, the axis names, and the bar labels
// under bars of width `step` (every k-th, so that at most kMostLabels show).
std::string Axes(double top, int decimals, const std::string& x_label, const std::string& y_label,
                 const std::vector<std::string>& labels, double step) {
  const double plot_bottom = kHeight - kBottom;
  std::string svg = "<g class=\"axes\" font-size=\"11\" fill=\"#333\">\n";
  svg += "<line x1=\"" + Number(kLeft, 1) + "\" y1=\"" + Number(kTop, 1) + "\" x2=\"" +
         Number(kLeft, 1) + "\" y2=\"" + Number(plot_bottom, 1) + "\" stroke=\"#333\"/>\n";
  svg += "<line x1=\"" + Number(kLeft, 1) + "\" y1=\"" + Number(plot_bottom, 1) + "\" x2=\"" +
         Number(kWidth - kRight, 1) + "\" y2=\"" + Number(plot_bottom, 1) +
         "\" stroke=\"#333\"/>\n";
  for (int k = 0; k <= 4; ++k) {
    const double value = top * k / 4.0;
    const double y = plot_bottom - (plot_bottom - kTop) * k / 4.0;
    svg += "<line x1=\"" + Number(kLeft - 4, 1) + "\" y1=\"" + Number(y, 1) + "\" x2=\"" +
           Number(kLeft, 1) + "\" y2=\"" + Number(y, 1) + "\" stroke=\"#333\"/>\n";
    svg += Text(kLeft - 6, y + 4, Number(value, decimals), "end");
  }
  const std::size_t every =
      labels.size() <= kMostLabels ? 1 : (labels.size() + kMostLabels - 1) / kMostLabels;
  for (std::size_t k = 0; k < labels.size(); k += every) {
    const double x = kLeft + step * (static_cast<double>(k) + 0.5);
    svg += Text(x, plot_bottom + 14, labels[k], "middle");
  }
  svg += Text((kLeft + kWidth - kRight) / 2, kHeight - 12, x_label, "middle");
  if (!y_label.empty()) {
    svg += Text(14, (kTop + plot_bottom) / 2, y_label, "middle",
                " transform=\"rotate(-90 14 " + Number((kTop + plot_bottom) / 2, 1) + ")\"");
  }
  return svg + "</g>\n";
}

// A round value at or above `value` for the top of the value axis, whose quarters (the ticks)
// are round too: 1, 2, 4, 5 or 8 times a power of ten.
double AxisTop(double value) {
  if (!(value > 0.0)) return 1.0;
  const double scale = std::pow(10.0, std::floor(std::log10(value)));
  for (double step : {1.0, 2.0, 4.0, 5.0, 8.0}) {
    if (value <= step * scale * (1.0 + 1e-12)) return step * scale;
  }
  return 10.0 * scale;
}

// The fewest decimals (at most 4) that show the ticks of an axis up to `top` exactly.
int TickDecimals(double top) {
  const double step = top / 4.0;
  for (int decimals = 0; decimals < 4; ++decimals) {
    const double scaled = step * std::pow(10.0, decimals);
    if (std::fabs(scaled - std::round(scaled)) < 1e-9 * std::max(1.0, scaled)) return decimals;
  }
  return 4;
}

}  // namespace

std::string SeriesColour(std::size_t k) {
  static constexpr const char* kColours[] = {"#4e79a7", "#f28e2b", "#59a14f", "#e15759", "#76b7b2",
                                             "#edc948", "#b07aa1", "#ff9da7", "#9c755f", "#17becf"};
  return k < std::size(kColours) ? kColours[k] : "#bab0ac";
}

BarChart Histogram(const std::vector<double>& values, double low, double high, int bins,
                   int decimals) {
  BarChart chart;
  bins = std::max(bins, 1);
  if (!(high > low)) high = low + 1.0;
  const double width = (high - low) / bins;
  chart.values.assign(static_cast<std::size_t>(bins), 0.0);
  for (int k = 0; k < bins; ++k) chart.labels.push_back(Number(low + width * k, decimals));
  for (double v : values) {
    const double at = std::floor((v - low) / width);
    const auto bin = static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(bins - 1)));
    chart.values[bin] += 1.0;
  }
  return chart;
}

std::string BarChartSvg(const BarChart& chart) {
  double largest = 0.0;
  for (double v : chart.values) largest = std::max(largest, v);
  const double top = AxisTop(largest);
  const double plot_bottom = kHeight - kBottom;
  const double step = (kWidth - kLeft - kRight) /
                      static_cast<double>(std::max<std::size_t>(chart.values.size(), 1));
  std::string svg = Open(chart.y_label + " by " + chart.x_label);
  svg += Axes(top, TickDecimals(top), chart.x_label, chart.y_label, chart.labels, step);
  svg += "<g class=\"bars\" fill=\"#4e79a7\">\n";
  for (std::size_t k = 0; k < chart.values.size(); ++k) {
    const double value = std::max(chart.values[k], 0.0);
    const double h = (plot_bottom - kTop) * value / top;
    const double x = kLeft + step * static_cast<double>(k) + step * 0.1;
    svg += "<rect x=\"" + Number(x, 2) + "\" y=\"" + Number(plot_bottom - h, 2) + "\" width=\"" +
           Number(step * 0.8, 2) + "\" height=\"" + Number(h, 2) + "\"><title>" +
           EscapeMarkup(k < chart.labels.size() ? chart.labels[k] : "") + ": " +
           Number(chart.values[k], chart.value_decimals) + "</title></rect>\n";
  }
  return svg + "</g>\n</svg>\n";
}

std::string StackedBarsSvg(const StackedBars& bars) {
  const double plot_bottom = kHeight - kBottom;
  const double step =
      (kWidth - kLeft - kRight) / static_cast<double>(std::max<std::size_t>(bars.labels.size(), 1));
  std::string svg = Open("shares by " + bars.x_label);
  svg += Axes(1.0, 2, bars.x_label, "share", bars.labels, step);
  svg += "<g class=\"bars\">\n";
  for (std::size_t k = 0; k < bars.parts.size(); ++k) {
    double below = 0.0;
    const double x = kLeft + step * static_cast<double>(k) + step * 0.1;
    for (std::size_t s = 0; s < bars.parts[k].size(); ++s) {
      const double share = std::clamp(bars.parts[k][s], 0.0, 1.0 - below);
      if (share <= 0.0) continue;
      const double h = (plot_bottom - kTop) * share;
      const double y = plot_bottom - (plot_bottom - kTop) * below - h;
      svg += "<rect x=\"" + Number(x, 2) + "\" y=\"" + Number(y, 2) + "\" width=\"" +
             Number(step * 0.8, 2) + "\" height=\"" + Number(h, 2) + "\" fill=\"" +
             SeriesColour(s) + "\"><title>" +
             EscapeMarkup((k < bars.labels.size() ? bars.labels[k] : "") + ", " +
                          (s < bars.series.size() ? bars.series[s] : "")) +
             ": " + Number(share, 2) + "</title></rect>\n";
      below += share;
    }
  }
  return svg + "</g>\n</svg>\n";
}

}  // namespace pedprep
