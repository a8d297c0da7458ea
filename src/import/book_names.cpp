#include "import/book_names.h"

#include <cstddef>

namespace pedprep {

std::string BookName(const std::string& file) {
  std::string name =
      file.substr(file.find_last_of("/\\") == std::string::npos ? 0 : file.find_last_of("/\\") + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::vector<std::string> BookPrefixNames(const std::vector<std::string>& files) {
  // The last `parts` components of `file`, the last without its extension.
  auto trailing = [](const std::string& file, std::size_t parts) {
    const std::string name = BookName(file);
    std::size_t begin = file.find_last_of("/\\");
    std::string path = name;
    for (std::size_t k = 1; k < parts && begin != std::string::npos && begin > 0; ++k) {
      const std::size_t before = file.find_last_of("/\\", begin - 1);
      const std::size_t from = before == std::string::npos ? 0 : before + 1;
      path = file.substr(from, begin - from) + "/" + path;
      begin = before;
    }
    return path;
  };
  std::vector<std::string> names;
  for (const std::string& file : files) names.push_back(BookName(file));
  std::vector<std::size_t> parts(files.size(), 1);  // 0: the whole name as given
  for (bool changed = true; changed;) {
    changed = false;
    std::vector<bool> clash(files.size(), false);
    for (std::size_t i = 0; i < files.size(); ++i) {
      for (std::size_t j = i + 1; j < files.size(); ++j) {
        if (names[i] == names[j] && files[i] != files[j]) clash[i] = clash[j] = true;
      }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (!clash[i] || parts[i] == 0) continue;
      const std::string longer = trailing(files[i], ++parts[i]);
      if (longer == names[i]) parts[i] = 0;
      names[i] = parts[i] == 0 ? files[i] : longer;
      changed = true;
    }
  }
  return names;
}

}  // namespace pedprep
