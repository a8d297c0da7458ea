#include "reports/animals.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/exit_status.h"
#include "figures/animal_table.h"
#include "figures/run_facts.h"
#include "reading/observed_run.h"
#include "records/csv.h"
#include "records/escape.h"

namespace pedprep {
namespace {

constexpr int kIdColumn = 3;
constexpr const char* kTrailingColumns[] = {"ecg", "complete"};

// The cells of one row of the table.
std::vector<std::string> RowCells(const ObservedRun& run, const AnimalTable& table,
                                  const AnimalRow& row) {
  std::vector<std::string> line = {std::to_string(row.position),
                                   std::to_string(row.family),
                                   std::to_string(row.individual),
                                   run.Id(row.ini_id),
                                   std::to_string(row.ini_id),
                                   row.copy_of == 0 ? "" : std::to_string(row.copy_of),
                                   row.has_figures ? std::to_string(row.generation) : "",
                                   row.has_figures ? FixedDecimals(row.inbreeding, 6) : ""};
  std::vector<std::string> fractions = ShownFractions(row.fractions);
  fractions.resize(table.breeds.size());
  line.reserve(line.size() + fractions.size() + 2);
  line.insert(line.end(), std::make_move_iterator(fractions.begin()),
              std::make_move_iterator(fractions.end()));
  line.push_back(row.has_figures ? FixedDecimals(row.ecg, 4) : "");
  line.push_back(row.has_figures ? std::to_string(row.complete) : "");
  return line;
}

std::vector<std::vector<std::string>> Cells(const ObservedRun& run, const AnimalTable& table) {
  std::vector<std::vector<std::string>> cells;
  cells.reserve(table.rows.size());
  for (const AnimalRow& row : table.rows) cells.push_back(RowCells(run, table, row));
  return cells;
}

std::vector<std::string> Header(const AnimalTable& table) {
  std::vector<std::string> header(std::begin(kAnimalColumns), std::end(kAnimalColumns));
  header.insert(header.end(), table.breeds.begin(), table.breeds.end());
  header.insert(header.end(), std::begin(kTrailingColumns), std::end(kTrailingColumns));
  return header;
}

void WriteAligned(const std::vector<std::string>& header,
                  std::vector<std::vector<std::string>>& cells, std::ostream& out) {
  // Ids cut for the eye (the CSV keeps them whole): one long id must not widen every row.
  for (auto& line : cells) line[kIdColumn] = EscapeControlBytes(CutForMessage(line[kIdColumn]));
  std::vector<std::size_t> width(header.size());
  for (std::size_t c = 0; c < header.size(); ++c) width[c] = header[c].size();
  for (const auto& line : cells) {
    for (std::size_t c = 0; c < line.size(); ++c) width[c] = std::max(width[c], line[c].size());
  }
  const auto write = [&](const std::vector<std::string>& line) {
    std::string text;
    for (std::size_t c = 0; c < line.size(); ++c) {
      if (c > 0) text += "  ";
      const std::string pad(width[c] - line[c].size(), ' ');
      text += c == kIdColumn ? line[c] + pad : pad + line[c];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << '\n';
  };
  write(header);
  for (const auto& line : cells) write(line);
}

}  // namespace

int RunAnimals(const RunFacts& facts, bool csv, std::ostream& out, std::ostream& err) {
  const AnimalTable* table = facts.AnimalsOrFault("animals", err);
  if (table == nullptr) return kExitInternal;
  const ObservedRun& run = facts.run();
  const std::vector<std::string> header = Header(*table);
  if (csv) {  // row by row: the table is never held as cells
    std::string text = CsvLine(header);
    for (const AnimalRow& row : table->rows) AppendCsvLine(RowCells(run, *table, row), &text);
    out << text;
  } else {
    std::vector<std::vector<std::string>> cells = Cells(run, *table);
    std::ostringstream text;
    WriteAligned(header, cells, text);
    out << text.str();
  }
  if (!table->finished) {
    err << "pedprep animals: the run stops: " << facts.StopText()
        << "; the rows are the animals read\n";
    return kExitStopped;
  }
  return kExitSuccess;
}

}  // namespace pedprep
