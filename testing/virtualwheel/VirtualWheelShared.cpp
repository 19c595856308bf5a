#include "VirtualWheelShared.h"

#include <stdlib.h>
#include <string.h>

namespace vwheel {
namespace {

const DWORD Magic = 0x57566A4A;   // "JjVW"
// A wait on the mutex never blocks for ever: a holder that died leaves it abandoned, which
// WaitForSingleObject reports and we take over.
const DWORD LockTimeoutMs = 2000;

}  // namespace

DIJOYSTATE2 NeutralState()
{
    DIJOYSTATE2 state;
    memset(&state, 0, sizeof(state));
    for (DWORD& pov : state.rgdwPOV)
        pov = 0xFFFFFFFF;
    return state;
}

void InitialiseBlock(SharedBlock* block, int forceAxes)
{
    memset(block, 0, sizeof(*block));
    block->magic = Magic;
    block->size = sizeof(SharedBlock);
    for (Slot& slot : block->slots)
        slot.state = NeutralState();
    Slot& wheel = block->slots[WheelSlot];
    wheel.used = 1;
    wheel.plugged = 1;
    wheel.productId = WheelProductId;
    wheel.axes = 2;
    wheel.forceAxes = forceAxes == 2 ? 2 : 1;
    strcpy(wheel.name, "Force Feedback Wheel");
}

int ForceAxesFromEnvironment()
{
    char value[16] = "";
    if (GetEnvironmentVariableA(ForceAxesVariable, value, sizeof(value)) == 0)
        return 1;
    return atoi(value) == 2 ? 2 : 1;
}

LONG SweepSteeringAt(DWORD milliseconds)
{
    const DWORD period = 4000;
    const DWORD phase = milliseconds % period;
    const LONG span = 65535;
    if (phase < period / 2)
        return -32768 + static_cast<LONG>(static_cast<LONGLONG>(span) * phase / (period / 2));
    return 32767 - static_cast<LONG>(static_cast<LONGLONG>(span) * (phase - period / 2) / (period / 2));
}

DWORD PluggedMask(const SharedBlock& block)
{
    DWORD mask = 0;
    for (int i = 0; i < Slots; ++i) {
        if (block.slots[i].used && block.slots[i].plugged)
            mask |= 1u << i;
    }
    return mask;
}

SharedWheel::SharedWheel()
{
    mutex_ = CreateMutexA(nullptr, FALSE, LockName);
    changed_ = CreateEventA(nullptr, FALSE, FALSE, ChangedEventName);
    if (!mutex_)
        return;
    Lock lock(*this);
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedBlock), SharedName);
    if (!mapping_)
        return;
    created_ = GetLastError() != ERROR_ALREADY_EXISTS;
    block_ = static_cast<SharedBlock*>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBlock)));
    if (block_ && (block_->magic != Magic || block_->size != sizeof(SharedBlock)))
        InitialiseBlock(block_, ForceAxesFromEnvironment());
}

SharedWheel::~SharedWheel()
{
    if (block_)
        UnmapViewOfFile(block_);
    if (mapping_)
        CloseHandle(mapping_);
    if (changed_)
        CloseHandle(changed_);
    if (mutex_)
        CloseHandle(mutex_);
}

void SharedWheel::Changed()
{
    if (block_)
        block_->sequence += 1;
    if (changed_)
        SetEvent(changed_);
}

SharedWheel::Lock::Lock(SharedWheel& wheel) : mutex_(wheel.mutex_), held_(false)
{
    if (mutex_) {
        const DWORD waited = WaitForSingleObject(mutex_, LockTimeoutMs);
        held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
}

SharedWheel::Lock::~Lock()
{
    if (held_)
        ReleaseMutex(mutex_);
}

}  // namespace vwheel
