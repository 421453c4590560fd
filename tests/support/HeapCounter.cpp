// Replaces every plain form of the global operator new and delete, so that no block from the
// library's own operator new meets our free; counting is on only for threads that ask for it.
#include "tests/support/HeapCounter.h"

#include <cstdlib>
#include <new>

namespace
{
thread_local bool countHeapTraffic = false;
thread_local int heapTraffic = 0;

void release(void* p) noexcept
{
    if (countHeapTraffic && p != nullptr)
        ++heapTraffic;
    std::free(p);
}

void* acquire(std::size_t size) noexcept
{
    if (countHeapTraffic)
        ++heapTraffic;
    return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

ScopedHeapCount::ScopedHeapCount()
{
    countHeapTraffic = true;
    heapTraffic = 0;
}

ScopedHeapCount::~ScopedHeapCount() { countHeapTraffic = false; }

int ScopedHeapCount::count() const { return heapTraffic; }

void* operator new(std::size_t size)
{
    if (void* p = acquire(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return acquire(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return acquire(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { release(p); }
