// Counts heap allocations made on this thread while a count is open: every
// malloc, calloc, realloc, aligned allocation and operator new of the program
// goes through this test program's own definitions. Other threads (music,
// audio) are never counted. Not for sanitizer builds, which own malloc.
#pragma once

#include <cstdint>

class TAllocationCount {
public:
    TAllocationCount();
    ~TAllocationCount();
    TAllocationCount(const TAllocationCount&) = delete;
    TAllocationCount& operator=(const TAllocationCount&) = delete;

    // Allocations counted on this thread since the count opened.
    std::int64_t Allocations() const;
    // Stops and restarts counting within the count, for what is allowed to allocate.
    void Pause();
    void Resume();
};
