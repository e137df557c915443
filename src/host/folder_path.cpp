#include "host/folder_path.h"

namespace nimbra {

void AddTrailingBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path.push_back('\\');
}

}  // namespace nimbra
