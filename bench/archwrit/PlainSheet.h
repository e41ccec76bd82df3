// The plain peer of the sheet benchmarks: a sheet split into lines at CR, LF
// or CR LF and into fields at TAB, as views into its bytes, without copies.
#pragma once

#include <string_view>
#include <vector>

namespace bench {

using PlainSheet = std::vector<std::vector<std::string_view>>;

// bytes: anything with data() and size() over chars (std::string, QByteArray).
template <typename Bytes>
PlainSheet PlainParse(const Bytes& bytes) {
  PlainSheet rows;
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end) {
    const char* eol = p;
    while (eol < end && *eol != '\r' && *eol != '\n') ++eol;
    std::vector<std::string_view>& cells = rows.emplace_back();
    const char* field = p;
    for (const char* q = p;; ++q) {
      if (q == eol || *q == '\t') {
        cells.emplace_back(field, size_t(q - field));
        if (q == eol) break;
        field = q + 1;
      }
    }
    p = eol + (eol < end && *eol == '\r' && eol + 1 < end && eol[1] == '\n' ? 2 : 1);
  }
  return rows;
}

}  // namespace bench
