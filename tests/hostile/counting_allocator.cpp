#include "tests/hostile/counting_allocator.h"

#include <malloc.h>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_in_use{0};
std::atomic<std::size_t> g_peak{0};
std::atomic<std::size_t> g_base{0};

void* counted(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (!block) throw std::bad_alloc();
  const std::size_t now = g_in_use += malloc_usable_size(block);
  std::size_t peak = g_peak.load(std::memory_order_relaxed);
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
  return block;
}

void uncounted(void* block) noexcept {
  if (!block) return;
  g_in_use -= malloc_usable_size(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
  return counted(size);
}
void* operator new[](std::size_t size) {
  return counted(size);
}
void operator delete(void* block) noexcept {
  uncounted(block);
}
void operator delete[](void* block) noexcept {
  uncounted(block);
}
void operator delete(void* block, std::size_t) noexcept {
  uncounted(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  uncounted(block);
}

namespace velmora::testing {

void reset_heap_peak() {
  g_base = g_in_use.load();
  g_peak = g_base.load();
}

std::size_t heap_peak_growth() {
  const std::size_t peak = g_peak.load(), base = g_base.load();
  return peak > base ? peak - base : 0;
}

}  // namespace velmora::testing
