#include "core/nearest_ids.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "records/escape.h"
#include "records/text_case.h"

namespace pedprep {
namespace {

bool IsWordByte(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || static_cast<unsigned char>(c) >= 0x80;
}

// The words of `text` in lower case, each once.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsWordByte(text[i])) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && IsWordByte(text[end])) ++end;
    std::string word = AsciiLower(text.substr(i, end - i));
    if (word.size() >= 2 && std::find(words.begin(), words.end(), word) == words.end()) {
      words.push_back(std::move(word));
    }
    i = end;
  }
  return words;
}

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b);

namespace {

// Words alike: equal, or of 5 letters or more one edit apart ("wedgewood", "wedgwood").
bool SameWord(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const std::size_t shorter = std::min(a.size(), b.size());
  return shorter >= 5 && std::max(a.size(), b.size()) - shorter <= 1 && EditDistance(a, b) <= 1;
}

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
  // Three rows of the table: i - 2, i - 1 and i.
  std::vector<std::size_t> before(b.size() + 1), last(b.size() + 1), row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) last[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      row[j] =
          std::min({last[j] + 1, row[j - 1] + 1, last[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        row[j] = std::min(row[j], before[j - 2] + 1);
      }
    }
    before.swap(last);
    last.swap(row);
  }
  return last[b.size()];
}

std::vector<std::string> NearestIds(std::string_view typed, const std::vector<std::string>& ids,
                                    std::size_t count) {
  // An id too long to show whole in a message is neither matched nor suggested.
  if (typed.size() > kMessageTextLength) return {};
  const std::string lowered = AsciiLower(typed);
  const std::vector<std::string> words = Words(typed);
  // (far: 0 a few edits away, 1 sharing words; edits or words not shared, place)
  std::vector<std::tuple<int, std::size_t, std::size_t>> near;
  for (std::size_t k = 0; k < ids.size(); ++k) {
    const std::string& id = ids[k];
    if (id.empty() || id == typed || id.size() > kMessageTextLength) continue;
    const std::size_t length =
        std::max(id.size(), typed.size()) - std::min(id.size(), typed.size());
    if (length <= 2) {
      const std::size_t edits = EditDistance(lowered, AsciiLower(id));
      if (edits <= 2 && 3 * edits < typed.size()) {
        near.emplace_back(0, edits, k);
        continue;
      }
    }
    if (words.empty()) continue;
    std::size_t shared = 0;
    for (const std::string& word : Words(id)) {
      shared +=
          std::any_of(words.begin(), words.end(),
                      [&word](const std::string& typed_word) { return SameWord(word, typed_word); })
              ? 1
              : 0;
    }
    if (shared > 0) near.emplace_back(1, words.size() - std::min(shared, words.size()), k);
  }
  std::sort(near.begin(), near.end());
  std::vector<std::string> nearest;
  for (std::size_t n = 0; n < near.size() && nearest.size() < count; ++n) {
    const std::string& id = ids[std::get<2>(near[n])];
    if (std::find(nearest.begin(), nearest.end(), id) == nearest.end()) nearest.push_back(id);
  }
  return nearest;
}

std::string NearestIdsNote(std::string_view typed, const std::vector<std::string>& ids) {
  const std::vector<std::string> nearest = NearestIds(typed, ids);
  if (nearest.empty()) return "";
  std::string note = " (nearest: ";
  for (std::size_t n = 0; n < nearest.size(); ++n) {
    note += (n == 0 ? "" : ", ") + EscapeControlBytes(CutForMessage(nearest[n]));
  }
  return note + ")";
}

}  // namespace pedprep
