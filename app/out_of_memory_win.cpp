// The global allocation functions, replaced so that memory that cannot be had
// makes the fatal stop instead of throwing std::bad_alloc. The non-throwing
// forms stop too: the program has no caller that could use a null pointer.
#include <malloc.h>

#include <cstdlib>
#include <new>

#include "fatal_stop.h"

namespace {

void* AllocateOrStop(std::size_t bytes) {
  if (void* memory = std::malloc(bytes == 0 ? 1 : bytes)) return memory;
  quorlin::StopOutOfMemory(bytes);
}

// The C runtime of the platform has no aligned_alloc; its aligned blocks must
// go back through _aligned_free.
void* AllocateAlignedOrStop(std::size_t bytes, std::align_val_t alignment) {
  if (void* memory = _aligned_malloc(bytes == 0 ? 1 : bytes, static_cast<std::size_t>(alignment))) {
    return memory;
  }
  quorlin::StopOutOfMemory(bytes);
}

}  // namespace

void* operator new(std::size_t bytes) { return AllocateOrStop(bytes); }
void* operator new[](std::size_t bytes) { return AllocateOrStop(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return AllocateOrStop(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return AllocateOrStop(bytes);
}
void* operator new(std::size_t bytes, std::align_val_t alignment) {
  return AllocateAlignedOrStop(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment) {
  return AllocateAlignedOrStop(bytes, alignment);
}
void* operator new(std::size_t bytes, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return AllocateAlignedOrStop(bytes, alignment);
}
void* operator new[](std::size_t bytes, std::align_val_t alignment,
                     const std::nothrow_t&) noexcept {
  return AllocateAlignedOrStop(bytes, alignment);
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { _aligned_free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  _aligned_free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  _aligned_free(memory);
}
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  _aligned_free(memory);
}
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  _aligned_free(memory);
}
