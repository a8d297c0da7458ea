#include "import/field_values.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <system_error>

namespace pedprep {
namespace {

// Whether day `d` of month `m` exists in year `y`.
bool IsDay(int y, int m, int d) {
  static constexpr std::array<int, 12> kDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12 || d < 1 || d > kDays[m - 1]) return false;
  return m != 2 || d < 29 || (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
}

}  // namespace

Parsed ParseInteger(std::string_view text, int min, int max, int32_t* value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int number = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || end != text.data() + text.size()) return Parsed::kNotInteger;
  if (error != std::errc() || number < min || number > max) return Parsed::kOutOfRange;
  *value = number;
  return Parsed::kGood;
}

int YearOf(std::string_view text, bool* impossible) {
  struct Run {
    std::size_t begin = 0, size = 0;
    int value = 0;
  };
  std::array<Run, 3> runs{};
  std::size_t run_count = 0;
  int year = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (run_count < runs.size()) {
      Run& run = runs[run_count++];
      run.begin = i;
      run.size = end - i;
      for (std::size_t k = i; k < std::min(end, i + 8); ++k)
        run.value = run.value * 10 + (text[k] - '0');
    }
    if (end - i == 4 || end - i == 8) {
      if (year != 0) return 0;
      year = (text[i] - '0') * 1000 + (text[i + 1] - '0') * 100 + (text[i + 2] - '0') * 10 +
             (text[i + 3] - '0');
    }
    i = end;
  }
  if (year == 0) return 0;
  // The separator between runs a and a + 1, 0 when it is not one of - . / alone.
  auto separator = [&](std::size_t a) {
    const std::size_t from = runs[a].begin + runs[a].size;
    const char c = text[from];
    return runs[a + 1].begin == from + 1 && (c == '-' || c == '.' || c == '/') ? c : '\0';
  };
  bool valid = true;
  if (run_count >= 1 && runs[0].size == 8) {
    valid = IsDay(year, runs[0].value / 100 % 100, runs[0].value % 100);
  } else if (run_count == 3 && runs[1].size <= 2 && separator(0) != 0 &&
             separator(0) == separator(1)) {
    if (runs[0].size == 4 && runs[2].size <= 2) {
      valid = IsDay(year, runs[1].value, runs[2].value);
    } else if (runs[2].size == 4 && runs[0].size <= 2) {
      valid = IsDay(year, runs[1].value, runs[0].value) ||
              (separator(0) == '/' && IsDay(year, runs[0].value, runs[1].value));
    }
  }
  if (!valid) *impossible = true;
  return valid ? year : 0;
}

}  // namespace pedprep
