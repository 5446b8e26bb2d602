// A check that holds in every build type: the fuzzer reports the abort with the input that caused
// it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);         \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Failures that the code under test logs go nowhere: no trace file, no recorded message boxes
// piling up over millions of runs.
void QuietTraceForFuzzing();
