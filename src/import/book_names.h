// The names that tell herd-book files apart.
#ifndef PEDPREP_IMPORT_BOOK_NAMES_H_
#define PEDPREP_IMPORT_BOOK_NAMES_H_

#include <string>
#include <vector>

namespace pedprep {

// The name of a herd-book file without its folders and its last extension ("a/dama.tsv":
// "dama"), which tells books apart with --prefix-ids and --breed-by-book.
std::string BookName(const std::string& file);

// The names of several herd books for --prefix-ids: BookName, and for books whose BookName
// is shared the shortest trailing path that tells them apart ("x/herd.csv", "y/herd.csv":
// "x/herd", "y/herd"), else the whole name as given. Books named alike however far back
// (the same file named twice) keep equal names: the caller refuses them.
std::vector<std::string> BookPrefixNames(const std::vector<std::string>& files);

}  // namespace pedprep

#endif  // PEDPREP_IMPORT_BOOK_NAMES_H_
