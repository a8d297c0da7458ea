// Finds the animals of an observed run by what users type: herd-book ids (ids.csv), store
// positions, FAMILY:NUMBER. It answers in two places: among the animals read, as rows of the
// animal table (report, mate and kinship name their animals there, never a copy), and in the
// store as the run left it (draw names its animals and copies there, copies included).
#ifndef PEDPREP_FIGURES_ANIMAL_LOOKUP_H_
#define PEDPREP_FIGURES_ANIMAL_LOOKUP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "figures/animal_table.h"

namespace pedprep {

class RunFacts;
struct PedigreeStore;

// `text` as a whole decimal number (an optional minus sign, digits, nothing else).
bool ParseWholeNumber(const std::string& text, int32_t* value);

class AnimalLookup {
 public:
  // `facts` must outlive the lookup. The animals read are indexed on first use, from the
  // facts' animal table: a lookup used only in the store never builds the table.
  explicit AnimalLookup(const RunFacts& facts);

  // Among the animals read: a herd-book id of ids.csv, else FAMILY:INDIVIDUAL exactly as
  // `pedprep animals` prints it. The row (never a copy), or nullptr (also without a table).
  const AnimalRow* Find(const std::string& text) const;
  // The row of passport data line `line`, or nullptr.
  const AnimalRow* AtLine(int32_t line) const;
  // " (nearest: A, B)": the herd-book ids of the animals read near a text Find does not know
  // (core/nearest_ids.h), in the order of the rows.
  std::string NearestNote(const std::string& text) const;

  // In the store: its positions as the run left it (1..rows). The store is read on first
  // use only, so that a run that stops while reading the passport file is never searched.
  int32_t rows() const;
  // The first position holding `ini_id`, 0 = none.
  int32_t Holder(int32_t ini_id) const;
  // The INI_ID of herd-book id `id`, 0 = none.
  int32_t IniOfId(const std::string& id) const;
  // FAMILY:NUMBER (each a whole number) as family index and number; false when the text is
  // not of that form or names no family.
  bool FamilyNumber(const std::string& text, int* s, int32_t* number) const;
  // " (nearest: A, B)" among every herd-book id of ids.csv, in ini_id order.
  std::string NearestStoredNote(const std::string& text) const;

 private:
  struct ReadIndex {
    std::vector<std::string> ids;           // herd-book ids in row order, each once
    std::vector<const AnimalRow*> by_line;  // [line - 1]
    std::unordered_map<std::string, const AnimalRow*> by_id;
    std::unordered_map<std::string, const AnimalRow*> by_numbers;  // "FAMILY:INDIVIDUAL"
  };
  const ReadIndex& Read() const;

  const RunFacts& facts_;
  const PedigreeStore& st_;
  mutable std::optional<int32_t> rows_;
  mutable std::optional<ReadIndex> read_;
};

}  // namespace pedprep

#endif  // PEDPREP_FIGURES_ANIMAL_LOOKUP_H_
