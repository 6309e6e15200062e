// Huge pages are a hint: where the kernel has none to give, or gives them
// only on request and refuses, the buffer is made of ordinary pages.
#include "base/LargeBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace zvonar {
namespace {

constexpr std::size_t kHugePage = 2u << 20;

}  // namespace

std::size_t LargePageBytes() {
  return kHugePage;
}

void LargeBufferFree::operator()(char* p) const {
  std::free(p);
}

void* AllocateLarge(std::size_t size) {
  void* p = nullptr;
  if (size < kHugePage) {
    p = std::malloc(size > 0 ? size : 1);
  } else {
    const std::size_t whole = (size + kHugePage - 1) / kHugePage * kHugePage;
    p = std::aligned_alloc(kHugePage, whole);
    if (p != nullptr) (void)::madvise(p, whole, MADV_HUGEPAGE);
  }
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

LargeBuffer MakePlainBuffer(std::size_t size) {
  char* p = static_cast<char*>(std::malloc(size > 0 ? size : 1));
  if (p == nullptr) throw std::bad_alloc();
  return LargeBuffer(p);
}

LargeBuffer MakeLargeBuffer(std::size_t size) {
  return LargeBuffer(static_cast<char*>(AllocateLarge(size)));
}

}  // namespace zvonar
