// Substring and character-set search shared by the token, find and count operations. Matches
// lie wholly inside the text and compare unit for unit, case-sensitively.
#pragma once

#include <cstddef>
#include <string_view>

namespace qv {

constexpr size_t kNoMatch = std::string_view::npos;

// The first index p >= s where needle matches; kNoMatch for an empty needle.
template <typename Unit>
size_t ForwardSearch(std::basic_string_view<Unit> text, std::basic_string_view<Unit> needle,
                     size_t s) {
  if (needle.empty() || s > text.size() || text.size() - s < needle.size()) return kNoMatch;
  return text.find(needle, s);
}

// The last index p with p + |needle| <= end where needle matches; kNoMatch for an empty needle.
template <typename Unit>
size_t BackwardSearch(std::basic_string_view<Unit> text, std::basic_string_view<Unit> needle,
                      size_t end) {
  if (needle.empty() || end > text.size() || end < needle.size()) return kNoMatch;
  return text.substr(0, end).rfind(needle);
}

// The first index p >= s whose unit occurs in set.
template <typename Unit>
size_t ForwardSearchAny(std::basic_string_view<Unit> text, std::basic_string_view<Unit> set,
                        size_t s) {
  if (set.empty() || s >= text.size()) return kNoMatch;
  return text.find_first_of(set, s);
}

// The last index p < end whose unit occurs in set.
template <typename Unit>
size_t BackwardSearchAny(std::basic_string_view<Unit> text, std::basic_string_view<Unit> set,
                         size_t end) {
  if (set.empty() || end == 0 || end > text.size()) return kNoMatch;
  return text.find_last_of(set, end - 1);
}

template <typename Unit>
bool InSet(std::basic_string_view<Unit> set, Unit unit) {
  return set.find(unit) != kNoMatch;
}

}  // namespace qv
