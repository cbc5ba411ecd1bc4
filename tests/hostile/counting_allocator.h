// Counts what operator new hands out in this process, so a test can see how far a call made
// the heap grow. (libcurl's own buffers come from malloc and are not counted; they are bounded
// by libcurl itself.)
#pragma once

#include <cstddef>

namespace velmora::testing {

// Starts a new peak at the bytes in use now.
void reset_heap_peak();
// The most bytes in use since the last reset, less those in use at the reset.
std::size_t heap_peak_growth();

}  // namespace velmora::testing
