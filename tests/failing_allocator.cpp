#include "tests/failing_allocator.h"

#include <stdlib.h>

#include <atomic>
#include <cstddef>
#include <new>

namespace hv {

#if defined(__SANITIZE_ADDRESS__)
#define HV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HV_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// -1: fail nothing; otherwise how many allocations may still succeed before one fails.
std::atomic<long> g_countdown{-1};
std::atomic<long> g_failed{0};
std::atomic<long> g_live{0};

// A place for a debugger's breakpoint: where a failure comes from is the question a
// failing turn raises.
[[gnu::noinline]] void AllocationFailed() { ++g_failed; }

bool FailThisOne() {
  if (g_countdown.load(std::memory_order_relaxed) < 0) return false;
  if (g_countdown.fetch_sub(1) != 0) return false;
  AllocationFailed();
  return true;
}

}  // namespace

namespace test {

void FailAllocationAfter(long skip) {
  g_failed = 0;
  g_countdown = skip;
}
void StopFailingAllocations() { g_countdown = -1; }
long FailedAllocations() { return g_failed.load(); }
long LiveAllocations() { return g_live.load(); }

#ifdef HV_ADDRESS_SANITIZER
bool AllocatorInterposed() { return false; }
#else
bool AllocatorInterposed() { return true; }
#endif

}  // namespace test

}  // namespace hv

// The allocation functions replace the global ones, so they stand outside the namespace.
using namespace hv;

#ifdef HV_ADDRESS_SANITIZER

// The sanitizer's malloc stays; operator new is built on it so that failures can be injected
// and leaks and bad frees are still found. Every form of delete comes with it, so each
// block is freed by the allocator that made it.
void* operator new(std::size_t size) {
  void* block = FailThisOne() ? nullptr : std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return FailThisOne() ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

#else

// glibc's own allocator under its second names; the standard C++ library's operator new
// calls malloc, so it is covered too (a failure there throws std::bad_alloc).
extern "C" {
void* __libc_malloc(size_t size);                // NOLINT(bugprone-reserved-identifier)
void* __libc_calloc(size_t count, size_t size);  // NOLINT(bugprone-reserved-identifier)
void* __libc_realloc(void* block, size_t size);  // NOLINT(bugprone-reserved-identifier)
void __libc_free(void* block);                   // NOLINT(bugprone-reserved-identifier)

void* malloc(size_t size) {
  if (FailThisOne()) return nullptr;
  void* block = __libc_malloc(size);
  if (block != nullptr) ++g_live;
  return block;
}

void* calloc(size_t count, size_t size) {
  if (FailThisOne()) return nullptr;
  void* block = __libc_calloc(count, size);
  if (block != nullptr) ++g_live;
  return block;
}

void* realloc(void* block, size_t size) {
  if (block == nullptr) return malloc(size);
  if (size == 0) {
    free(block);
    return nullptr;
  }
  // A failed realloc leaves the old block as it was, as the real one does.
  if (FailThisOne()) return nullptr;
  return __libc_realloc(block, size);
}

void free(void* block) {
  if (block == nullptr) return;
  --g_live;
  __libc_free(block);
}
}  // extern "C"

#endif
