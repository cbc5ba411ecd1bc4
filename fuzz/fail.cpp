#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_targets.h"

namespace velmora::fuzz {

void fail(std::string_view what) {
  std::fprintf(stderr, "broken invariant: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

}  // namespace velmora::fuzz
