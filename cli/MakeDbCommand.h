#pragma once

#include <string>
#include <vector>

namespace orvale {

// "orvale makedb": the demo databases of both editions, a tiny fixture or a
// synthetic full-scale database. Returns the process exit code.
int runMakeDb(const std::vector<std::string>& args);

}  // namespace orvale
