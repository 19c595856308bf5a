#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace {
long Allocations = 0;
}

long HeapAllocations()
{
    return Allocations;
}

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);

void* __wrap_malloc(size_t size)
{
    ++Allocations;
    return __real_malloc(size);
}

void* __wrap_calloc(size_t count, size_t size)
{
    ++Allocations;
    return __real_calloc(count, size);
}

void* __wrap_realloc(void* block, size_t size)
{
    ++Allocations;
    return __real_realloc(block, size);
}
}

void* operator new(size_t size)
{
    ++Allocations;
    if (void* block = __real_malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void* operator new[](size_t size)
{
    return operator new(size);
}

// Every block, from operator new too, comes from malloc: it goes back with free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete[](void* block) noexcept
{
    free(block);
}

void operator delete(void* block, size_t) noexcept
{
    free(block);
}

void operator delete[](void* block, size_t) noexcept
{
    free(block);
}
