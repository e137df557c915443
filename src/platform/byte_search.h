// Finding where a line may begin with a given two-byte start, fast: the scan
// behind the language-file lookups, which pass over whole files for one key.
#pragma once

namespace nimbra::platform {

// The first position q in [from, end) where q[0] == first and the byte after
// it may continue the match: q[1] equals second (A-Z folded to a-z when
// second is a lower-case letter), q[1] is a CR (which lines drop), or q is the
// last byte before end. end when there is none. A candidate, not a match: the
// caller checks the rest. Uses AVX2 where the processor has it (x86-64).
const char* FindBytePair(const char* from, const char* end, char first, char second);

// The same with memchr alone: what FindBytePair does without AVX2.
const char* FindBytePairPortable(const char* from, const char* end, char first, char second);

}  // namespace nimbra::platform
