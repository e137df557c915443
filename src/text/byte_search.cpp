#include "text/byte_search.h"

#include <cstring>

#include "text/ascii_case.h"

namespace nimbra {

namespace {

// Setting bit 0x20 lowers A-Z; only letters are compared that way.
char foldFor(char second) { return ToUpperAscii(second) != second ? 0x20 : 0; }

bool continues(const char* q, const char* end, char second, char fold) {
  return q + 1 == end || q[1] == '\r' || static_cast<char>(q[1] | fold) == second;
}

}  // namespace

const char* FindBytePair(const char* from, const char* end, char first, char second) {
  const char fold = foldFor(second);
  while (from < end) {
    const char* q = static_cast<const char*>(std::memchr(from, first, static_cast<std::size_t>(end - from)));
    if (!q) return end;
    if (continues(q, end, second, fold)) return q;
    from = q + 1;
  }
  return end;
}

}  // namespace nimbra
