// Lists of animal ids that users write by hand: a reference population (one id a line) and
// planned matings (two ids a line).
//
// Id list: lines end at LF, CR LF or a lone CR (the one rule of every file of one id a line:
// the reference population, the import's keep file); a leading UTF-8
// byte-order mark is skipped; each line's text without surrounding blanks and tabs is one id;
// blank lines are skipped. Lines are numbered from 1.
// Pairs: delimited text (records/csv.h) whose delimiter is judged from the first line (TAB,
// ';' or ','); a first line without any of them splits every line at runs of blanks
// instead. Each row holds exactly two ids; a first row reading `sire`, `dam` (any letter
// case) is a header and skipped.
//   sire,dam\r\n  DE1,DE7\r\n       -> line 2: {"DE1", "DE7"}
//   DE1 DE7\n                       -> line 1: {"DE1", "DE7"}
#ifndef PEDPREP_RECORDS_ID_LIST_H_
#define PEDPREP_RECORDS_ID_LIST_H_

#include <string>
#include <string_view>
#include <vector>

namespace pedprep {

struct ListedId {
  long line = 0;
  std::string id;
};

struct ListedPair {
  long line = 0;
  std::string sire;
  std::string dam;
};

std::vector<ListedId> ParseIdList(std::string_view text);

// Throws InputError("read", file_name, line, problem, text) for a row without exactly two
// ids, or for malformed quoting.
std::vector<ListedPair> ParseIdPairs(std::string_view text, const std::string& file_name);

}  // namespace pedprep

#endif  // PEDPREP_RECORDS_ID_LIST_H_
