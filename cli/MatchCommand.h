#pragma once

#include <string>
#include <vector>

namespace orvale {

// "orvale match": fills the four specifications from options, runs the
// matcher of the query program and prints the summary with the prediction,
// then the matched experiment record numbers in list order.
int runMatch(const std::vector<std::string>& args);

}  // namespace orvale
