#pragma once
// Cell values compared as the checks compare them: ASCII letters without
// regard to case, every other byte as it is. Hash and equality over views,
// so a set of keys points into the sheets' own bytes.
#include <cstddef>
#include <string_view>
#include <unordered_set>

#include "archive/AsciiCase.h"

namespace check {

struct FoldHash {
  size_t operator()(std::string_view s) const noexcept {
    size_t h = 1469598103934665603ull;
    for (char c : s) h = (h ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
    return h;
  }
};

struct FoldEqual {
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
  }
};

using FoldSet = std::unordered_set<std::string_view, FoldHash, FoldEqual>;

}  // namespace check
