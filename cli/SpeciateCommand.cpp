#include "SpeciateCommand.h"

#include <cstdio>

namespace orvale {

int runSpeciate(const std::vector<std::string>&) {
  std::fputs("orvale speciate: not available yet\n", stderr);
  return 2;
}

}  // namespace orvale
