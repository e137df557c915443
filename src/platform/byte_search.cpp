#include "platform/byte_search.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#define NIMBRA_BYTE_SEARCH_AVX2 1
#include <immintrin.h>
#endif

namespace nimbra::platform {

namespace {

// Setting bit 0x20 lowers A-Z; only letters are compared that way.
char foldFor(char second) { return second >= 'a' && second <= 'z' ? 0x20 : 0; }

bool continues(const char* q, const char* end, char second, char fold) {
  return q + 1 == end || q[1] == '\r' || static_cast<char>(q[1] | fold) == second;
}

const char* findPortable(const char* from, const char* end, char first, char second, char fold) {
  while (from < end) {
    const char* q = static_cast<const char*>(std::memchr(from, first, static_cast<std::size_t>(end - from)));
    if (!q) return end;
    if (continues(q, end, second, fold)) return q;
    from = q + 1;
  }
  return end;
}

#if NIMBRA_BYTE_SEARCH_AVX2
// A key line follows almost every entry, so a search for "[" alone stops
// every hundred bytes or so. Instead both bytes are tested for 64 positions
// at a time, and the positions are worked out only when one of them passes.
__attribute__((target("avx2"), always_inline)) inline __m256i candidates(const char* at, __m256i first,
                                                                          __m256i second, __m256i fold,
                                                                          __m256i cr) {
  __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
  __m256i secondOk =
      _mm256_or_si256(_mm256_cmpeq_epi8(_mm256_or_si256(next, fold), second), _mm256_cmpeq_epi8(next, cr));
  return _mm256_and_si256(_mm256_cmpeq_epi8(head, first), secondOk);
}

__attribute__((target("avx2"))) const char* findAvx2(const char* from, const char* end, char first, char second,
                                                     char fold) {
  const __m256i wantFirst = _mm256_set1_epi8(first);
  const __m256i wantSecond = _mm256_set1_epi8(second);
  const __m256i foldMask = _mm256_set1_epi8(fold);
  const __m256i cr = _mm256_set1_epi8('\r');
  // The loads at +1 read up to from + 64, which stays before end.
  while (end - from > 64) {
    __m256i low = candidates(from, wantFirst, wantSecond, foldMask, cr);
    __m256i high = candidates(from + 32, wantFirst, wantSecond, foldMask, cr);
    __m256i any = _mm256_or_si256(low, high);
    if (!_mm256_testz_si256(any, any)) {
      std::uint64_t mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(low)) |
                           std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high))} << 32;
      return from + __builtin_ctzll(mask);
    }
    from += 64;
  }
  return findPortable(from, end, first, second, fold);
}
#endif

}  // namespace

const char* FindBytePair(const char* from, const char* end, char first, char second) {
#if NIMBRA_BYTE_SEARCH_AVX2
  static const bool hasAvx2 = __builtin_cpu_supports("avx2");
  if (hasAvx2) return findAvx2(from, end, first, second, foldFor(second));
#endif
  return findPortable(from, end, first, second, foldFor(second));
}

const char* FindBytePairPortable(const char* from, const char* end, char first, char second) {
  return findPortable(from, end, first, second, foldFor(second));
}

}  // namespace nimbra::platform
