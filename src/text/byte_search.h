// Finding where a line may begin with a given two-byte start, fast: the scan
// behind the language-file lookups, which pass over whole files for one key.
#pragma once

namespace nimbra {

// The first position q in [from, end) where q[0] == first and the byte after
// it may continue the match: q[1] equals second (A-Z folded to a-z when
// second is a lower-case letter), q[1] is a CR (which lines drop), or q is the
// last byte before end. end when there is none. A candidate, not a match: the
// caller checks the rest. One portable scan (memchr for the first byte), the
// same in the installer and in the benchmark.
const char* FindBytePair(const char* from, const char* end, char first, char second);

}  // namespace nimbra
