// Large buffers of plain bytes, such as the text chunks of a million-row
// result. They are not cleared, and from two megabytes on they sit on huge
// page boundaries with the kernel asked for huge pages, so filling one takes
// a page fault every two megabytes instead of every four kilobytes.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace zvonar {

struct LargeBufferFree {
  void operator()(char* p) const;
};
using LargeBuffer = std::unique_ptr<char[], LargeBufferFree>;

// The size of a huge page, from which a buffer is laid on them.
std::size_t LargePageBytes();

// `size` bytes of unspecified content.
LargeBuffer MakeLargeBuffer(std::size_t size);

// `size` bytes of unspecified content on ordinary pages, whatever the size:
// for room of which only the first pages may ever be filled.
LargeBuffer MakePlainBuffer(std::size_t size);

// Memory as MakeLargeBuffer takes it, to be given back with std::free;
// throws std::bad_alloc when there is none, as operator new does.
void* AllocateLarge(std::size_t size);

// An allocator for containers that grow large: a vector of a million rows'
// offsets fills its pages as a buffer above does.
template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) {}
  T* allocate(std::size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
  void deallocate(T* p, std::size_t) { LargeBufferFree()(reinterpret_cast<char*>(p)); }
  template <typename U>
  bool operator==(const LargeAllocator<U>&) const {
    return true;
  }
};

// Containers that fill their memory as the buffers above do.
template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;
using LargeString = std::basic_string<char, std::char_traits<char>, LargeAllocator<char>>;

}  // namespace zvonar
