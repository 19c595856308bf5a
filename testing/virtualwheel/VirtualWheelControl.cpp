#include "VirtualWheelControl.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

namespace vwheel {
namespace {

bool ValidSlot(int slot)
{
    return slot >= 0 && slot < Slots;
}

}  // namespace

Control::Control() = default;

template <typename Change>
void Control::Update(Change change)
{
    if (!shared_.IsOpen())
        return;
    SharedWheel::Lock lock(shared_);
    change(*shared_.Block());
    shared_.Changed();
}

void Control::SetSteering(LONG x)
{
    Update([x](SharedBlock& block) { block.slots[WheelSlot].state.lX = x; });
}

void Control::SetPedals(LONG y)
{
    Update([y](SharedBlock& block) { block.slots[WheelSlot].state.lY = y; });
}

void Control::SetButton(int number, bool down)
{
    if (number < 1 || number > 128)
        return;
    Update([number, down](SharedBlock& block) {
        block.slots[WheelSlot].state.rgbButtons[number - 1] = down ? 0x80 : 0x00;
    });
}

void Control::SetHat(DWORD hundredths)
{
    Update([hundredths](SharedBlock& block) { block.slots[WheelSlot].state.rgdwPOV[0] = hundredths; });
}

void Control::SetState(int slot, const DIJOYSTATE2& state)
{
    if (ValidSlot(slot))
        Update([slot, &state](SharedBlock& block) { block.slots[slot].state = state; });
}

DIJOYSTATE2 Control::State(int slot)
{
    if (!shared_.IsOpen() || !ValidSlot(slot))
        return NeutralState();
    SharedWheel::Lock lock(shared_);
    return shared_.Block()->slots[slot].state;
}

void Control::SetWheelForceAxes(int forceAxes)
{
    Update([forceAxes](SharedBlock& block) { block.slots[WheelSlot].forceAxes = forceAxes == 2 ? 2 : 1; });
}

int Control::AddController(DWORD productId, const char* name, int forceAxes)
{
    int taken = -1;
    Update([&](SharedBlock& block) {
        for (int i = 0; i < Slots; ++i) {
            Slot& slot = block.slots[i];
            if (i == WheelSlot || slot.used)
                continue;
            slot.used = 1;
            slot.plugged = 1;
            slot.productId = productId;
            slot.forceAxes = forceAxes < 0 ? 0 : (forceAxes > 2 ? 2 : forceAxes);
            slot.axes = 2;
            slot.pollFailure = 0;
            strncpy(slot.name, name ? name : "Game Controller", sizeof(slot.name) - 1);
            slot.name[sizeof(slot.name) - 1] = '\0';
            slot.state = NeutralState();
            taken = i;
            return;
        }
    });
    return taken;
}

void Control::Plug(int slot)
{
    if (ValidSlot(slot))
        Update([slot](SharedBlock& block) { block.slots[slot].plugged = 1; });
}

void Control::Unplug(int slot)
{
    if (ValidSlot(slot))
        Update([slot](SharedBlock& block) { block.slots[slot].plugged = 0; });
}

void Control::Remove(int slot)
{
    if (ValidSlot(slot) && slot != WheelSlot)
        Update([slot](SharedBlock& block) { block.slots[slot].used = 0; });
}

bool Control::IsPlugged(int slot)
{
    if (!shared_.IsOpen() || !ValidSlot(slot))
        return false;
    SharedWheel::Lock lock(shared_);
    return (PluggedMask(*shared_.Block()) >> slot) & 1u;
}

SlotInfo Control::Info(int slot)
{
    SlotInfo info;
    if (!shared_.IsOpen() || !ValidSlot(slot))
        return info;
    SharedWheel::Lock lock(shared_);
    const Slot& described = shared_.Block()->slots[slot];
    info.used = described.used != 0;
    info.plugged = described.plugged != 0;
    info.productId = described.productId;
    info.forceAxes = described.forceAxes;
    info.pollFailure = described.pollFailure;
    memcpy(info.name, described.name, sizeof(info.name));
    info.name[sizeof(info.name) - 1] = '\0';
    return info;
}

void Control::FailPolls(int slot, HRESULT result)
{
    if (ValidSlot(slot))
        Update([slot, result](SharedBlock& block) { block.slots[slot].pollFailure = result; });
}

void Control::SetSweep(bool on)
{
    Update([on](SharedBlock& block) { block.sweep = on ? 1 : 0; });
}

HWND Control::OwnerWindow()
{
    if (!shared_.IsOpen())
        return nullptr;
    SharedWheel::Lock lock(shared_);
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(shared_.Block()->ownerWindow));
}

DWORD Control::DllProcess()
{
    if (!shared_.IsOpen())
        return 0;
    SharedWheel::Lock lock(shared_);
    return shared_.Block()->dllProcess;
}

bool LogEntry::Has(const char* key) const
{
    for (const auto& field : fields) {
        if (field.first == key)
            return true;
    }
    return false;
}

std::string LogEntry::Field(const char* key) const
{
    for (const auto& field : fields) {
        if (field.first == key)
            return field.second;
    }
    return std::string();
}

long LogEntry::Number(const char* key) const
{
    return static_cast<long>(strtoul(Field(key).c_str(), nullptr, 0));
}

LogEntry ParseLogLine(const std::string& line)
{
    LogEntry entry;
    std::vector<std::string> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\r' || line[at] == '\n'))
            ++at;
        const size_t end = line.find_first_of(" \r\n", at);
        if (at < line.size())
            words.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? line.size() : end;
    }
    if (words.size() < 2)
        return entry;
    entry.time = strtoul(words[0].c_str(), nullptr, 10);
    entry.event = words[1];
    for (size_t i = 2; i < words.size(); ++i) {
        const size_t equals = words[i].find('=');
        if (equals != std::string::npos)
            entry.fields.emplace_back(words[i].substr(0, equals), words[i].substr(equals + 1));
    }
    return entry;
}

std::vector<LogEntry> ReadLog(const std::string& path)
{
    std::vector<LogEntry> entries;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return entries;
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);

    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos)
            break;   // a line still being written
        LogEntry entry = ParseLogLine(text.substr(start, end - start));
        if (!entry.event.empty())
            entries.push_back(entry);
        start = end + 1;
    }
    return entries;
}

DIJOYSTATE2 DemoStateAt(DWORD ms)
{
    const double pi = 3.14159265358979323846;
    DIJOYSTATE2 state = NeutralState();
    if (ms < 4000) {
        // Steering: two full turns left and right.
        state.lX = static_cast<LONG>(32767.0 * sin(2.0 * pi * ms / 2000.0));
    } else if (ms < 7000) {
        // Brake: pressed down and let up again.
        const double t = (ms - 4000) / 3000.0;
        state.lY = static_cast<LONG>(32767.0 * sin(pi * t));
    } else if (ms < 10000) {
        // Accelerator.
        const double t = (ms - 7000) / 3000.0;
        state.lY = -static_cast<LONG>(32768.0 * sin(pi * t));
    } else if (ms < 14800) {
        // Every button in turn, 0.4 s each.
        state.rgbButtons[(ms - 10000) / 400] = 0x80;
    } else if (ms < 18000) {
        // The hat all round, 0.4 s per direction.
        state.rgdwPOV[0] = ((ms - 14800) / 400) * 4500;
    }
    return state;
}

}  // namespace vwheel
