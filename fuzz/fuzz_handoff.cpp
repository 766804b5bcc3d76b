// libFuzzer target: the hand-off reader of the speciation engine. The input
// is taken as clipboard text as it is and behind a "FullOrvale" marker line;
// a block that loads is put through the grids and the .spc writer and reader.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "equivane/SpecSubs.h"

using namespace equivane;

namespace {

void check(const SpeciationProblem& before, const SpeciationProblem& after, const HandoffOutcome& outcome) {
  if (outcome.result == HandoffResult::Failed) {
    // A failed block leaves the problem as it was.
    if (after.n != before.n || after.nSpec != before.nSpec || after.title != before.title) std::abort();
    return;
  }
  if (outcome.result != HandoffResult::Loaded) return;
  if (after.n < 2 || after.n > 3 || after.nSpec < 1 || after.nSpec > 5 || after.nSP != 1) std::abort();
  SpeciationProblem copy = after;
  TextGrid grid;
  fillGrid(copy, grid, GridKind::React);
  fillGrid(copy, grid, GridKind::Kons);
  (void)establishValues(copy);
  buildFormulas(copy);
  writeImage(copy);
  // A title holding a marker makes the saved file read as a hand-off block.
  if (copy.title.find("FullOrvale") != std::string::npos || copy.title.find("MiniOrvale") != std::string::npos)
    return;
  SpeciationProblem reread;
  if (!readSpcText(reread, imageText(copy.fileImage)).ok) std::abort();
  if (reread.n != copy.n || reread.nSpec != copy.nSpec) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SpeciationProblem start = newProblem();

  SpeciationProblem problem = start;
  check(start, problem, readClipboardBlock(problem, text));

  problem = start;
  const std::string marked = "FullOrvale\r\n" + std::string(text);
  check(start, problem, readClipboardBlock(problem, marked));

  problem = start;
  const ReadOutcome file = readSpcText(problem, marked);
  (void)file;
  return 0;
}
