// ReadControllerState and SetConstantForce run every 25 and 10 ms for as long as the tester is
// open: they must not allocate. This program counts every heap allocation it makes: operator new
// is replaced here, and malloc, calloc and realloc are wrapped by the linker for this program only
// (which also catches operator new of the runtime, since it allocates through malloc).
#include "Controllers.h"
#include "FakeDirectInput.h"

#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

namespace {
long Allocations = 0;
// Keeps the compiler from dropping the allocations the counter check makes.
void* volatile Sink = nullptr;
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

namespace {
// Every block, from operator new too, comes from malloc: hand it back with free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void Release(void* block)
{
    free(block);
}
}  // namespace

void operator delete(void* block) noexcept
{
    Release(block);
}

void operator delete[](void* block) noexcept
{
    Release(block);
}

void operator delete(void* block, size_t) noexcept
{
    Release(block);
}

void operator delete[](void* block, size_t) noexcept
{
    Release(block);
}

namespace {

TEST(ControllerAllocations, TheCountersSeeAllocations)
{
    const long before = Allocations;
    int* number = new int(1);
    Sink = number;
    void* block = malloc(16);
    Sink = block;
    EXPECT_EQ(Allocations - before, 2);
    delete number;
    free(block);
}

TEST(ControllerAllocations, ReadingAndForcesAllocateNothing)
{
    fakedi::Reset();
    const fakedi::DeviceId wheel = fakedi::AddWheel(2);
    fakedi::AddController();
    HWND window = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_EQ(OpenControllers(window), 0);
    // The fake itself would allocate for its call log; it only counts from here on.
    fakedi::SetCallLog(false);

    const int rounds = 2000;
    const long before = Allocations;
    for (int round = 0; round < rounds; ++round) {
        DIJOYSTATE2 state = {};
        state.rgdwPOV[0] = 0xFFFFFFFF;
        ReadControllerState(0, &state);   // acquires or reads, in turn with the StopForce below
        ReadControllerState(1, &state);
        SetConstantForce(0, round % 2 ? 10000 : -10000, 0);
        SetConstantForce(1, 500, 0);
        if (round % 100 == 99)
            StopForce(0);
    }
    const long made = Allocations - before;

    // The loop did reach DirectInput: reads, acquisitions and played forces.
    EXPECT_GE(fakedi::CallCount(fakedi::Method::GetDeviceState, wheel), rounds / 2);
    EXPECT_GE(fakedi::CallCount(fakedi::Method::Acquire, wheel), rounds / 100);
    EXPECT_EQ(fakedi::CallCount(fakedi::Method::SetParameters, wheel), rounds);
    EXPECT_EQ(made, 0) << "heap allocations in " << rounds << " rounds";

    CloseControllers();
    DestroyWindow(window);
    EXPECT_EQ(fakedi::LiveReferences(), 0);
}

}  // namespace
