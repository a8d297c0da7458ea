#include "records/text_table.h"

#include <algorithm>
#include <utility>

namespace pedprep {

Table::Table(std::vector<std::string> header, std::vector<bool> left) : left_(std::move(left)) {
  rows_.push_back(std::move(header));
}

void Table::Add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

void Table::Print(std::ostream& out) const {
  std::vector<std::size_t> width(rows_[0].size(), 0);
  for (const auto& row : rows_) {
    for (std::size_t c = 0; c < row.size() && c < width.size(); ++c) {
      width[c] = std::max(width[c], row[c].size());
    }
  }
  for (const auto& row : rows_) {
    std::string line;
    for (std::size_t c = 0; c < row.size() && c < width.size(); ++c) {
      const std::string pad(width[c] - row[c].size(), ' ');
      const bool left = c < left_.size() && left_[c];
      line += (c == 0 ? "" : "  ") + (left ? row[c] + pad : pad + row[c]);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << "  " << line << "\n";
  }
}

}  // namespace pedprep
