// Looks up the animals of an observed run by what users type: herd-book ids (ids.csv),
// store positions, FAMILY:NUMBER. draw names its animals and copies through it.
#ifndef PEDPREP_INSPECT_RUN_LOOKUP_H_
#define PEDPREP_INSPECT_RUN_LOOKUP_H_

#include <cstdint>
#include <string>

namespace pedprep {

struct ObservedRun;
struct PedigreeStore;

// `text` as a whole decimal number (an optional minus sign, digits, nothing else).
bool ParseWholeNumber(const std::string& text, int32_t* value);

class Lookup {
 public:
  explicit Lookup(const ObservedRun& run);

  // The positions of the store as the run left it (1..rows).
  int32_t rows() const { return rows_; }

  // The first position holding `ini_id`, 0 = none.
  int32_t Holder(int32_t ini_id) const;
  // The INI_ID of herd-book id `id`, 0 = none.
  int32_t IniOfId(const std::string& id) const;
  // FAMILY:NUMBER as family index and number; false when the text is not of that form or
  // names no family.
  bool FamilyNumber(const std::string& text, int* s, int32_t* number) const;

 private:
  const ObservedRun& run_;
  const PedigreeStore& st_;
  int32_t rows_;
};

}  // namespace pedprep

#endif  // PEDPREP_INSPECT_RUN_LOOKUP_H_
