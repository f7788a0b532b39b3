#pragma once
// Helpers the parts of SimOs share.

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/os.h"

namespace platform::sim_internal {

inline std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The short name a key path starts with, as the tests write it.
inline std::string RootName(HKey root) {
  switch (root) {
    case kHKeyLocalMachine: return "HKLM";
    case kHKeyDynData: return "HKDD";
    default: return "";
  }
}

}  // namespace platform::sim_internal
