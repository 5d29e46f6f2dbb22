// A test-only allocator that fails one chosen allocation: linked into a test binary (never a
// library), it takes over malloc, calloc, realloc and free, and with them operator new, so
// that every allocation the code under test makes, through any route, can be failed in turn.
// Under AddressSanitizer, whose allocator must keep its own malloc, only operator new and
// delete are taken over (on top of the sanitizer's malloc, so its checks stay).
#ifndef HV_TESTS_FAILING_ALLOCATOR_H_
#define HV_TESTS_FAILING_ALLOCATOR_H_

namespace hv {

namespace test {

// The allocation `skip` allocations from now fails (0: the very next one); every other one
// succeeds. -1 fails none.
void FailAllocationAfter(long skip);
void StopFailingAllocations();
// How many allocations were failed since FailAllocationAfter.
long FailedAllocations();

// True when malloc and its family are taken over (not under AddressSanitizer).
bool AllocatorInterposed();
// Blocks handed out and not yet freed, counted only when the allocator is interposed; the
// difference across a piece of work that should leave nothing behind shows a leak.
long LiveAllocations();

}  // namespace test

}  // namespace hv

#endif  // HV_TESTS_FAILING_ALLOCATOR_H_
