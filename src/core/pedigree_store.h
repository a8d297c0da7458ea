// The pedigree store: the one body of data every stage of a run works on.
//
// Tables are 1-based like the system's own indexing: row 0 and column 0 are unused.
// Element widths are those of the data model; stages narrow values they store (low 16 bits
// for the 16-bit columns, low 8 bits for the 8-bit ones).
#ifndef PEDPREP_CORE_PEDIGREE_STORE_H_
#define PEDPREP_CORE_PEDIGREE_STORE_H_

#include <array>
#include <cstdint>
#include <vector>

namespace pedprep {

inline constexpr int kMaxRows = 24096;     // positions 1..24096
inline constexpr int kMaxFamilies = 2600;  // families 1..2600
inline constexpr int kInsEntries = 2602;   // INS(1..2602)
inline constexpr int kMaxBreeds = 10;      // PRACE columns 1..10
inline constexpr int kMaxBreaks = 4096;    // BREAK_IND rows 1..4096

// Breed codes with a meaning of their own.
inline constexpr int kBreedLoopCopy = 100;
inline constexpr int kBreedParentCopy = 200;

// One row of the store held apart from it: a position's columns 1.. of MAS0, MAS, MAS1,
// IFON, INI_ID and PRACE (column 0 is unused, as in the store).
struct StoreRow {
  int16_t mas0 = 0;
  std::array<int16_t, 4> mas{};   // [1] individual, [2] father, [3] mother
  std::array<uint8_t, 3> mas1{};  // [1] breed code, [2] sex code
  int8_t ifon = 0;
  int16_t ini_id = 0;
  std::array<double, kMaxBreeds + 1> prace{};
};

struct PedigreeStore {
  PedigreeStore();
  PedigreeStore(const PedigreeStore&) = delete;
  PedigreeStore& operator=(const PedigreeStore&) = delete;

  int32_t ND = 0;      // individuals in positions 1..ND
  int32_t NRAC = 0;    // breeds
  int32_t NBREAK = 0;  // rows of BREAK_IND in use
  int32_t MM = 0;      // passport error flag: 1 = the sex check found errors

  std::vector<int16_t> MAS0;                 // [i]: family number
  std::vector<std::array<int16_t, 4>> MAS;   // [i][1] individual, [2] father, [3] mother
  std::vector<std::array<uint8_t, 3>> MAS1;  // [i][1] breed code 0..255, [2] sex code
  std::vector<int8_t> IFON;                  // [i]: marker value (low 8 bits)
  std::vector<int16_t> INI_ID;               // [i]: initial identifier
  std::vector<std::array<double, kMaxBreeds + 1>> PRACE;  // [i][k]: fraction of breed k

  // INS(1) = NS; INS(2) = 0; family s occupies positions INS(s+1)+1 .. INS(s+2).
  std::vector<int16_t> INS;
  // [r][1] family number, [2] copy's individual number, [3] copied individual's number,
  // [4] copied individual's INI_ID; rows 1..NBREAK.
  std::vector<std::array<int16_t, 5>> BREAK_IND;

  int NumFamilies() const { return INS[1]; }
  int FamilyFirst(int s) const { return INS[s + 1] + 1; }
  int FamilyLast(int s) const { return INS[s + 2]; }

  // The PRACE columns a row carries: 1..NRAC, limited to the kMaxBreeds columns of a row.
  int BreedColumns() const;

  // Rows move whole, except that breed fractions move only in the columns 1..BreedColumns()
  // the run uses; the other PRACE columns stay with their position. Rows are 1..kMaxRows.
  StoreRow Row(int p) const;
  void SetRow(int p, const StoreRow& row);
  void CopyRow(int from, int to) { SetRow(to, Row(from)); }
  // Moves rows first..last to first+by..last+by, from the top down (by >= 0, last + by <=
  // kMaxRows). Rows first..first+by-1 keep what they held. Nothing moves when last < first.
  void MoveRowsUp(int first, int last, int by);
};

// Rebuilds INS from MAS0(1..ND): families are maximal runs of equal family numbers.
// Always opens family 1 at position 1 (also when ND is 0). Entries beyond NS+2 keep what
// they held. Caller guarantees at most kMaxFamilies runs; with more, CRTINS throws
// std::length_error instead of writing past INS.
void CRTINS(PedigreeStore& store);

}  // namespace pedprep

#endif  // PEDPREP_CORE_PEDIGREE_STORE_H_
