#pragma once

#include <string>
#include <vector>

namespace orvale {

// "orvale speciate": a sweep of the speciation engine over an .spc file.
int runSpeciate(const std::vector<std::string>& args);

}  // namespace orvale
