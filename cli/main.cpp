// orvale: the command-line tool. The same engines as the programs, without
// windows, for scripting and testing.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "MakeDbCommand.h"
#include "MatchCommand.h"
#include "MolCommand.h"
#include "SpeciateCommand.h"

namespace {

void usage() {
  std::puts(
      "usage: orvale COMMAND [options]\n"
      "\n"
      "commands:\n"
      "  makedb [--data DIR] [--no-structures] [--tiny] START_DIR\n"
      "      builds the demo databases of both editions from the source files in DIR\n"
      "      (default: the source tree's data/demo) into START_DIR/OrvaleQuery and\n"
      "      START_DIR/Talvex\n"
      "  makedb --synthetic [--seed S] [--experiments N] [--data DIR] START_DIR\n"
      "      builds a full-scale full-edition database into START_DIR/OrvaleQuery\n"
      "      (default 120000 experiments, 12000 ligands, 200 metals, 30000 references)\n"
      "  match --db START_DIR [--edition full|mini] [--ligand N,..] [--metal N,.. | --any-metal] ...\n"
      "      matches specifications against the experiment table as the query program does\n"
      "      (orvale match --help lists every option)\n"
      "  mol info FILE [--record N] | mol match QUERY TARGET [--exact-bonds]\n"
      "  mol search QUERY --db DIR [--exact-bonds]\n"
      "      molfile reading, one sub-structure test, the search over a ligand table\n"
      "  speciate FILE.spc --mode ph|px|total --from X --to Y --points 101|201 --ref R\n"
      "           --table percent|actual|lg [--fixed-ph P] [--px-reactant K]\n"
      "      a sweep of the speciation engine and its result text");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    usage();
    return args.empty() ? 2 : 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "makedb") return orvale::runMakeDb(args);
  if (command == "mol") return orvale::runMol(args);
  if (command == "speciate") return orvale::runSpeciate(args);
  if (command == "match") return orvale::runMatch(args);
  std::fprintf(stderr, "orvale: unknown command \"%s\"\n", command.c_str());
  usage();
  return 2;
}
