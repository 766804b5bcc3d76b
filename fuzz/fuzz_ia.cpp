// Fuzzes the text index reader and the pattern matcher: the input is the
// index file; its two halves also serve as text and pattern.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "xbase/fts.h"

namespace {

int goodHandle() {
  static int h = [] {
    std::string p = fuzzsupport::workDir() + "/good.ia";
    int c = xbase::FtsCreate(p.c_str(), 20, 2, 1, 1);
    xbase::FtsAdd(c, "Glycine");
    xbase::FtsClose(c);
    return xbase::FtsOpen(p.c_str(), 16, 3);
  }();
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string ia = fuzzsupport::workDir() + "/x.ia";
  fuzzsupport::writeFile(ia, data, size);
  int opened = xbase::FtsOpen(ia.c_str(), 16, 3);
  int h = opened > 0 ? opened : goodHandle();
  if (h <= 0) return 0;
  (void)xbase::FtsCount(h);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::size_t cut = size / 2;
  std::string text = bytes.substr(0, cut), pattern = bytes.substr(cut);
  // Zero bytes end the texts, as they do for callers.
  (void)xbase::FtsVerify(h, text.c_str(), pattern.c_str(), 3);
  (void)xbase::FtsVerify(h, text.c_str(), pattern.c_str(), 1);
  (void)xbase::FtsVerify(h, pattern.c_str(), text.c_str(), 0);
  if (opened > 0) xbase::FtsClose(opened);
  return 0;
}
