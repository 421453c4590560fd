// Counts heap traffic on the calling thread while an instance lives, to show that an audio path
// never allocates or frees.
#pragma once

class ScopedHeapCount
{
public:
    ScopedHeapCount();
    ~ScopedHeapCount();
    ScopedHeapCount(const ScopedHeapCount&) = delete;
    ScopedHeapCount& operator=(const ScopedHeapCount&) = delete;

    // Allocations plus frees since construction.
    int count() const;
};
