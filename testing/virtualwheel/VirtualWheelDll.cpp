// The virtual wheel: our own DirectInput (testing/fakedi) built as dinput8.dll. Beside a program
// it stands in for the system's DirectInput and presents the wheel and any other controllers the
// shared block describes. On every DirectInput entry it takes the block's latest devices and
// states; it writes what the program did with them to the log named by JQ_VWHEEL_LOG; and a
// watcher thread sends WM_DEVICECHANGE to the program's window when a device is plugged in or
// pulled out, as Windows would.
#include "FakeDirectInput.h"
#include "VirtualWheelShared.h"

#include <dbt.h>
#include <stdarg.h>
#include <stdio.h>

namespace {

using fakedi::Call;
using fakedi::Method;
using vwheel::SharedBlock;
using vwheel::SharedWheel;

// One line per event, appended at once so a reader sees it while the program runs.
class LogFile {
public:
    LogFile() { InitializeCriticalSection(&lock_); }
    ~LogFile() { DeleteCriticalSection(&lock_); }
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    void Line(const char* format, ...)
    {
        char text[512];
        const int stamp = snprintf(text, sizeof(text), "%lu ", static_cast<unsigned long>(GetTickCount()));
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(text + stamp, sizeof(text) - stamp - 2, format, arguments);
        va_end(arguments);
        strcat(text, "\r\n");

        EnterCriticalSection(&lock_);
        if (!opened_) {
            opened_ = true;
            char path[MAX_PATH];
            const DWORD length = GetEnvironmentVariableA(vwheel::LogVariable, path, sizeof(path));
            if (length > 0 && length < sizeof(path))
                file_ = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        }
        if (file_ != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file_, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
        }
        LeaveCriticalSection(&lock_);
    }

private:
    CRITICAL_SECTION lock_;
    bool opened_ = false;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// A window that does not answer a device change within this time is given up on.
const UINT DeliveryTimeoutMs = 10000;

// The broadcast header a WM_DEVICECHANGE carries; it lives as long as the DLL.
DEV_BROADCAST_HDR DeviceInterfaceHeader = {sizeof(DEV_BROADCAST_HDR), DBT_DEVTYP_DEVICEINTERFACE, 0};

class VirtualWheel : public fakedi::Observer {
public:
    void BeforeCall() override;
    void AfterCall(const Call& call) override;

private:
    void Sync(SharedBlock& block);
    void LogCall(const Call& call);
    void StartWatcher();
    static DWORD WINAPI Watch(LPVOID self);
    void SendDeviceChange(WPARAM event);

    SharedWheel* shared_ = nullptr;   // opened at the first entry, kept for the process' life
    LONG seenSequence_ = 0;
    bool synced_ = false;
    bool watching_ = false;
    DWORD watchedMask_ = 0;
    HWND volatile owner_ = nullptr;
    LogFile log_;
};

VirtualWheel TheWheel;

void VirtualWheel::BeforeCall()
{
    if (!shared_)
        shared_ = new SharedWheel();
    if (!shared_->IsOpen())
        return;
    SharedWheel::Lock lock(*shared_);
    Sync(*shared_->Block());
}

void VirtualWheel::Sync(SharedBlock& block)
{
    block.dllProcess = GetCurrentProcessId();
    if (!synced_ || block.sequence != seenSequence_) {
        synced_ = true;
        seenSequence_ = block.sequence;
        fakedi::ClearFaults();
        for (int i = 0; i < vwheel::Slots; ++i) {
            const vwheel::Slot& slot = block.slots[i];
            fakedi::DeviceTraits traits;
            traits.productId = slot.productId;
            traits.instanceName = slot.name;
            traits.productName = slot.name;
            traits.axes = slot.axes;
            traits.forceAxes = slot.forceAxes;
            while (fakedi::DeviceCount() <= i)
                fakedi::AddDevice(traits);
            const fakedi::DeviceTraits& current = fakedi::TraitsOf(i);
            if (current.productId != traits.productId || current.instanceName != traits.instanceName ||
                current.axes != traits.axes || current.forceAxes != traits.forceAxes)
                fakedi::SetTraits(i, traits);
            if (slot.used && slot.plugged)
                fakedi::Plug(i);
            else if (fakedi::IsPlugged(i))
                fakedi::Unplug(i);
            fakedi::SetState(i, slot.state);
            if (slot.pollFailure)
                fakedi::FailCall(Method::Poll, slot.pollFailure, fakedi::Always, i);
        }
    }
    if (block.sweep) {
        DIJOYSTATE2 state = block.slots[vwheel::WheelSlot].state;
        state.lX = vwheel::SweepSteeringAt(GetTickCount());
        fakedi::SetState(vwheel::WheelSlot, state);
    }
}

void VirtualWheel::AfterCall(const Call& call)
{
    LogCall(call);
    if (call.method == Method::DirectInput8Create && SUCCEEDED(call.result))
        StartWatcher();
    if (call.method == Method::SetCooperativeLevel && SUCCEEDED(call.result) && call.window) {
        owner_ = call.window;
        if (shared_ && shared_->IsOpen()) {
            SharedWheel::Lock lock(*shared_);
            shared_->Block()->ownerWindow = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(call.window));
        }
    }
}

void VirtualWheel::LogCall(const Call& call)
{
    const int dev = call.device;
    const unsigned long hr = static_cast<unsigned long>(call.result);
    switch (call.method) {
    case Method::DirectInput8Create:
        log_.Line("create object=dinput hr=0x%08lX", hr);
        break;
    case Method::EnumDevices:
        log_.Line("enumerate hr=0x%08lX", hr);
        break;
    case Method::CreateDevice:
        log_.Line("create object=device dev=%d hr=0x%08lX", dev, hr);
        break;
    case Method::CreateEffect:
        log_.Line("create object=effect dev=%d axes=%lu hr=0x%08lX", dev, call.effect.cAxes, hr);
        break;
    case Method::SetCooperativeLevel:
        log_.Line("cooperate dev=%d window=0x%08lX flags=0x%lX hr=0x%08lX", dev,
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(call.window)), call.flags, hr);
        break;
    case Method::Acquire:
        log_.Line("acquire dev=%d hr=0x%08lX", dev, hr);
        break;
    case Method::Unacquire:
        log_.Line("unacquire dev=%d hr=0x%08lX", dev, hr);
        break;
    case Method::SetParameters:
        log_.Line("force dev=%d mag=%ld dir=%ld,%ld flags=0x%08lX hr=0x%08lX", dev, call.effect.magnitude,
                  call.effect.direction[0], call.effect.cAxes > 1 ? call.effect.direction[1] : 0L, call.flags, hr);
        break;
    case Method::Stop:
        log_.Line("stop dev=%d hr=0x%08lX", dev, hr);
        break;
    case Method::ReleaseEffect:
        log_.Line("release object=effect dev=%d refs=%lu", dev, call.references);
        break;
    case Method::ReleaseDevice:
        log_.Line("release object=device dev=%d refs=%lu", dev, call.references);
        break;
    case Method::ReleaseDirectInput:
        log_.Line("release object=dinput refs=%lu", call.references);
        break;
    default:
        break;
    }
    if (call.started)
        log_.Line("start dev=%d", dev);
}

void VirtualWheel::StartWatcher()
{
    if (watching_)
        return;
    watching_ = true;
    // The thread runs until the process ends: keep the DLL from being unloaded under it.
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(&TheWheel), &self);
    // The devices the program has just seen: any change from here on is news to it, even one
    // made before the thread gets going.
    if (shared_ && shared_->IsOpen()) {
        SharedWheel::Lock lock(*shared_);
        watchedMask_ = vwheel::PluggedMask(*shared_->Block());
    }
    HANDLE thread = CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    if (thread)
        CloseHandle(thread);
}

DWORD WINAPI VirtualWheel::Watch(LPVOID self)
{
    VirtualWheel& wheel = *static_cast<VirtualWheel*>(self);
    SharedWheel shared;
    if (!shared.IsOpen())
        return 0;
    HANDLE changed = OpenEventA(SYNCHRONIZE, FALSE, vwheel::ChangedEventName);
    DWORD last = wheel.watchedMask_;
    for (;;) {
        if (changed)
            WaitForSingleObject(changed, 100);
        else
            Sleep(100);
        DWORD now;
        {
            SharedWheel::Lock lock(shared);
            now = vwheel::PluggedMask(*shared.Block());
        }
        if (now == last)
            continue;
        if (now & ~last)
            wheel.SendDeviceChange(DBT_DEVICEARRIVAL);
        if (last & ~now)
            wheel.SendDeviceChange(DBT_DEVICEREMOVECOMPLETE);
        last = now;
    }
}

// Sent, not posted, as Windows does: a WM_DEVICECHANGE with an event of 0x8000 and up carries a
// pointer, and PostMessage refuses such messages. The window's thread handles it at its next
// message; the watcher holds no lock meanwhile, so the handler may use DirectInput freely.
void VirtualWheel::SendDeviceChange(WPARAM event)
{
    HWND owner = owner_;
    DWORD_PTR answer = 0;
    const BOOL delivered = owner && SendMessageTimeoutA(owner, WM_DEVICECHANGE, event,
                                                        reinterpret_cast<LPARAM>(&DeviceInterfaceHeader),
                                                        SMTO_NORMAL, DeliveryTimeoutMs, &answer);
    log_.Line("devicechange wparam=0x%04lX window=0x%08lX delivered=%d", static_cast<unsigned long>(event),
              static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner)), delivered ? 1 : 0);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    // Only a pointer is set here; everything else waits for the first DirectInput call.
    if (reason == DLL_PROCESS_ATTACH)
        fakedi::SetObserver(&TheWheel);
    return TRUE;
}
