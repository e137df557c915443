// Folder texts. A stored folder always ends with a backslash and is joined to
// names by plain concatenation.
#pragma once

#include <string>

namespace nimbra {

// Appends "\" when path is non-empty and its last byte is not a backslash;
// an empty path stays empty.
void AddTrailingBackslash(std::string& path);

}  // namespace nimbra
