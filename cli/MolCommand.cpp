#include "MolCommand.h"

#include <cstdio>

namespace orvale {

int runMol(const std::vector<std::string>&) {
  std::fputs("orvale mol: not available yet\n", stderr);
  return 2;
}

}  // namespace orvale
