#pragma once

#include <string>
#include <vector>

namespace orvale {

// "orvale mol": molfile information, matching and the sub-structure search.
int runMol(const std::vector<std::string>& args);

}  // namespace orvale
