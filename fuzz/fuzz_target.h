// The entry point every fuzz target defines. libFuzzer calls it with each generated input; the
// replay test calls it with each file of the target's checked-in corpus, so the plain build
// (gcc, no libFuzzer) runs every seed and every past crash on each test run.
#ifndef HV_FUZZ_FUZZ_TARGET_H_
#define HV_FUZZ_FUZZ_TARGET_H_

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

#endif  // HV_FUZZ_FUZZ_TARGET_H_
