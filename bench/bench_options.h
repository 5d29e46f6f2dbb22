// The "--name value" options of the benchmark programs that run on their own (not under the
// benchmark library): each names where its value goes, and a bad command line prints the
// program's usage instead of running a measurement nobody asked for.
#ifndef HV_BENCH_BENCH_OPTIONS_H_
#define HV_BENCH_BENCH_OPTIONS_H_

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>

namespace hv {

namespace bench {

struct cBenchOption {
  const char* name;  // "--runs"
  std::function<void(const char* value)> set;
};

// A whole number, at least `low`.
inline std::function<void(const char*)> IntValue(int* into, int low = 1) {
  return [into, low](const char* value) { *into = std::max(low, std::atoi(value)); };
}
inline std::function<void(const char*)> LongValue(long* into) {
  return [into](const char* value) { *into = std::atol(value); };
}
inline std::function<void(const char*)> RealValue(double* into) {
  return [into](const char* value) { *into = std::atof(value); };
}
inline std::function<void(const char*)> TextValue(std::string* into) {
  return [into](const char* value) { *into = value; };
}

// Prints "usage: <program> <usage>" and ends the program with 2, the exit status of a bad
// command line, so that no benchmark runs a measurement nobody asked for.
[[noreturn]] inline void ExitWithUsage(const char* program, const char* usage) {
  std::fprintf(stderr, "usage: %s %s\n", program, usage);
  std::exit(2);
}

// Applies argv's options; a name it does not know, or a name without its value, ends the
// program through ExitWithUsage.
inline void ParseBenchOptions(int argc, char** argv, std::initializer_list<cBenchOption> options,
                              const char* usage) {
  for (int i = 1; i < argc; ++i) {
    const cBenchOption* found = nullptr;
    for (const cBenchOption& option : options) {
      if (std::strcmp(argv[i], option.name) == 0) found = &option;
    }
    if (found == nullptr || i + 1 >= argc) ExitWithUsage(argv[0], usage);
    found->set(argv[++i]);
  }
}

}  // namespace bench

}  // namespace hv

#endif  // HV_BENCH_BENCH_OPTIONS_H_
