// The virtual wheel: its control tools, and the DLL end to end in a program that opens the
// controller layer through the real dinput8 import.
#include "UiDriver.h"
#include "VirtualWheelControl.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using uidriver::WaitUntil;
using vwheel::LogEntry;

// Where the build puts its programs. JQ_BIN_DIR is a Unix path; Wine shows / as drive Z:.
std::string BinFolder()
{
    char value[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("JQ_BIN_DIR", value, sizeof(value));
    if (length > 0 && length < sizeof(value)) {
        std::string folder = value;
        if (!folder.empty() && folder[0] == '/')
            folder = "Z:" + folder;
        std::replace(folder.begin(), folder.end(), '/', '\\');
        return folder;
    }
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string folder = self;
    return folder.substr(0, folder.find_last_of('\\'));
}

class TempFolder {
public:
    TempFolder()
    {
        char base[MAX_PATH] = "";
        GetTempPathA(sizeof(base), base);
        path_ = std::string(base) + "vwheel-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((path_ + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const char* name) const { return path_ + "\\" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

bool SameName(const std::string& entry, const std::string& name)
{
    if (entry.size() <= name.size() || entry[name.size()] != '=')
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(entry[i])) != std::toupper(static_cast<unsigned char>(name[i])))
            return false;
    }
    return true;
}

// This process' environment with some variables set, for a child.
std::vector<char> EnvironmentWith(const std::vector<std::pair<std::string, std::string>>& settings)
{
    std::vector<char> block;
    char* strings = GetEnvironmentStringsA();
    for (const char* entry = strings; *entry; entry += std::strlen(entry) + 1) {
        bool replaced = false;
        for (const auto& setting : settings)
            replaced = replaced || SameName(entry, setting.first);
        if (!replaced)
            block.insert(block.end(), entry, entry + std::strlen(entry) + 1);
    }
    FreeEnvironmentStringsA(strings);
    for (const auto& setting : settings) {
        const std::string entry = setting.first + "=" + setting.second;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

// A started program; killed if the test ends before it does.
class Child {
public:
    Child(const std::string& commandLine, const std::string& folder, std::vector<char>* environment = nullptr)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                                  environment ? environment->data() : nullptr, folder.c_str(), &startup,
                                  &process_) != FALSE;
    }
    ~Child()
    {
        if (!started_)
            return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }
    // The exit code, or -1 when it did not end in time.
    long Wait(DWORD timeoutMs)
    {
        if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return static_cast<long>(code);
    }

private:
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

std::vector<std::string> ReadLines(const std::string& path)
{
    const std::string text = uidriver::ReadTextFile(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& wanted)
{
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

bool WaitForLine(const std::string& path, const std::string& wanted, DWORD timeoutMs)
{
    return WaitUntil([&] { return Contains(ReadLines(path), wanted); }, timeoutMs);
}

int CountEntries(const std::vector<LogEntry>& log, const char* event, const char* key, const char* value)
{
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const LogEntry& entry) {
        return entry.event == event && entry.Field(key) == value;
    }));
}

const LogEntry* FindEntry(const std::vector<LogEntry>& log, const char* event)
{
    for (const LogEntry& entry : log) {
        if (entry.event == event)
            return &entry;
    }
    return nullptr;
}

TEST(VirtualWheelLog, LinesParseIntoEventAndFields)
{
    const LogEntry force =
        vwheel::ParseLogLine("123456 force dev=0 mag=-500 dir=0,0 flags=0x20000140 hr=0x00000003\r\n");
    EXPECT_EQ(force.time, 123456u);
    EXPECT_EQ(force.event, "force");
    EXPECT_EQ(force.Number("mag"), -500);
    EXPECT_EQ(force.Field("dir"), "0,0");
    EXPECT_EQ(static_cast<unsigned long>(force.Number("flags")), 0x20000140ul);
    EXPECT_EQ(force.Number("hr"), 3);
    EXPECT_FALSE(force.Has("refs"));
    EXPECT_TRUE(vwheel::ParseLogLine("").event.empty());
}

TEST(VirtualWheelDemo, PlaysEveryInput)
{
    LONG steerMin = 0, steerMax = 0, pedalMin = 0, pedalMax = 0;
    std::set<int> buttons, hats;
    for (DWORD ms = 0; ms < vwheel::DemoLengthMs; ms += 10) {
        const DIJOYSTATE2 state = vwheel::DemoStateAt(ms);
        steerMin = std::min(steerMin, state.lX);
        steerMax = std::max(steerMax, state.lX);
        pedalMin = std::min(pedalMin, state.lY);
        pedalMax = std::max(pedalMax, state.lY);
        int pressed = 0;
        for (int i = 0; i < vwheel::Buttons; ++i) {
            if (state.rgbButtons[i]) {
                buttons.insert(i);
                ++pressed;
            }
        }
        EXPECT_LE(pressed, 1) << ms;
        if (state.rgdwPOV[0] != 0xFFFFFFFF)
            hats.insert(static_cast<int>(state.rgdwPOV[0]));
    }
    EXPECT_LT(steerMin, -32000);
    EXPECT_GT(steerMax, 32000);
    EXPECT_LT(pedalMin, -32000);   // accelerator
    EXPECT_GT(pedalMax, 32000);    // brake
    EXPECT_EQ(buttons.size(), 12u);
    EXPECT_EQ(hats, (std::set<int>{0, 4500, 9000, 13500, 18000, 22500, 27000, 31500}));
    const DIJOYSTATE2 after = vwheel::DemoStateAt(vwheel::DemoLengthMs);
    const DIJOYSTATE2 neutral = vwheel::NeutralState();
    EXPECT_EQ(std::memcmp(&after, &neutral, sizeof(after)), 0);
}

TEST(VirtualWheelSweep, RunsEndToEndEveryFourSeconds)
{
    const struct {
        DWORD ms;
        LONG low, high;
    } cases[] = {{0, -32768, -32768}, {1000, -1, 0}, {2000, 32767, 32767}, {3000, -1, 0}, {4000, -32768, -32768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        const LONG x = vwheel::SweepSteeringAt(c.ms);
        EXPECT_GE(x, c.low);
        EXPECT_LE(x, c.high);
    }
}

class VirtualWheelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(control_.IsOpen());
        // Whatever an earlier test left: back to the plugged-in, neutral wheel alone.
        for (int slot = 1; slot < vwheel::Slots; ++slot)
            control_.Remove(slot);
        control_.PlugWheel();
        control_.SetWheelForceAxes(1);
        control_.FailPolls(vwheel::WheelSlot, 0);
        control_.SetSweep(false);
        control_.Neutral();
    }

    vwheel::Control control_;
    TempFolder folder_;
};

TEST_F(VirtualWheelTest, vwheelctlChangesTheWheel)
{
    const std::string tool = "\"" + BinFolder() + "\\vwheelctl.exe\" ";
    struct Case {
        const char* command;
        LONG steer, pedals;
        int button;   // pressed button number, 0 for none
        DWORD hat;
    };
    const Case cases[] = {
        {"steer -16000", -16000, 0, 0, vwheel::Control::Centred},
        {"brake 30000", -16000, 30000, 0, vwheel::Control::Centred},
        {"accel 12000", -16000, -12000, 0, vwheel::Control::Centred},
        {"button 3 down", -16000, -12000, 3, vwheel::Control::Centred},
        {"hat 4500", -16000, -12000, 3, 4500},
        {"neutral", 0, 0, 0, vwheel::Control::Centred},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        Child run(tool + c.command, folder_.Path());
        ASSERT_TRUE(run.Started());
        ASSERT_EQ(run.Wait(20000), 0);
        const DIJOYSTATE2 state = control_.WheelState();
        EXPECT_EQ(state.lX, c.steer);
        EXPECT_EQ(state.lY, c.pedals);
        EXPECT_EQ(state.rgdwPOV[0], c.hat);
        for (int number = 1; number <= vwheel::Buttons; ++number)
            EXPECT_EQ(state.rgbButtons[number - 1] != 0, number == c.button) << number;
    }

    Child unplug(tool + "unplug", folder_.Path());
    ASSERT_EQ(unplug.Wait(20000), 0);
    EXPECT_FALSE(control_.IsPlugged(vwheel::WheelSlot));
}

TEST_F(VirtualWheelTest, AProgramSeesTheWheelReadsItAndReleasesEverything)
{
    const std::string bin = BinFolder();
    ASSERT_TRUE(CopyFileA((bin + "\\vwheel_host.exe").c_str(), folder_.File("vwheel_host.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((bin + "\\virtualwheel\\dinput8.dll").c_str(), folder_.File("dinput8.dll").c_str(), FALSE));
    const std::string report = folder_.File("report.txt");
    const std::string logPath = folder_.File("vwheel.log");

    control_.SetSteering(-12345);
    control_.SetPedals(20000);
    control_.SetHat(9000);
    control_.SetButton(3, true);

    // WINEDLLOVERRIDES="dinput8=n,b" comes from the test's own environment (see CMakeLists.txt):
    // Wine hands it to a child from the Unix side, never from the environment block given to
    // CreateProcess. The log's name does travel in that block.
    std::vector<char> environment = EnvironmentWith({{vwheel::LogVariable, logPath}});
    Child host("\"" + folder_.File("vwheel_host.exe") + "\" \"" + report + "\"", folder_.Path(), &environment);
    ASSERT_TRUE(host.Started());
    ASSERT_TRUE(WaitForLine(report, "ready", 30000)) << "the program did not get ready";
    EXPECT_EQ(control_.DllProcess(), host.Id()) << "our dinput8.dll was not the one loaded";

    control_.UnplugWheel();
    EXPECT_TRUE(WaitUntil([&] { return FindEntry(vwheel::ReadLog(logPath), "devicechange") != nullptr; }, 30000))
        << "the wheel did not send WM_DEVICECHANGE";
    EXPECT_TRUE(WaitForLine(report, "count 0", 30000))
        << "the program did not rescan on WM_DEVICECHANGE";
    PostMessageA(FindWindowA("VirtualWheelHost", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(host.Wait(30000), 0) << "the program did not end on WM_CLOSE";

    const std::vector<std::string> lines = ReadLines(report);
    const std::vector<std::string> expected = {
        "open hr=0x00000000",
        "count 1",
        "controller 0 product=0x00037D2E forceaxes=1 effect=1 name=Force Feedback Wheel",
        "wheel 0",
        "state x=-12345 y=20000 pov=9000 buttons=0x004",
        "force hr=0x00000000",
        "ready",
        "devicechange 0x8004",
        "count 0",
        "closed",
    };
    EXPECT_EQ(lines, expected) << "the wheel's log:\n" << [&] {
        std::string text;
        for (const std::string& line : ReadLines(logPath))
            text += line + "\n";
        return text;
    }();

    const std::vector<LogEntry> log = vwheel::ReadLog(logPath);
    ASSERT_FALSE(log.empty());
    const LogEntry* cooperate = FindEntry(log, "cooperate");
    ASSERT_NE(cooperate, nullptr);
    EXPECT_EQ(cooperate->Number("flags"), DISCL_EXCLUSIVE | DISCL_BACKGROUND);
    EXPECT_EQ(CountEntries(log, "acquire", "hr", "0x00000000"), 1);
    const LogEntry* force = FindEntry(log, "force");
    ASSERT_NE(force, nullptr);
    EXPECT_EQ(force->Number("mag"), -4000);
    EXPECT_EQ(force->Field("dir"), "0,0");
    EXPECT_EQ(force->Field("flags"), "0x20000140");
    EXPECT_EQ(force->Field("hr"), "0x00000000");
    EXPECT_EQ(CountEntries(log, "start", "dev", "0"), 1);
    EXPECT_GE(CountEntries(log, "unacquire", "hr", "0x00000000"), 1);
    EXPECT_EQ(CountEntries(log, "devicechange", "wparam", "0x8004"), 1);
    const LogEntry* change = FindEntry(log, "devicechange");
    ASSERT_NE(change, nullptr);
    EXPECT_EQ(change->Field("delivered"), "1");
    // Two opens (before and after the device change): everything made was released to zero.
    for (const char* object : {"dinput", "device", "effect"}) {
        SCOPED_TRACE(object);
        int made = 0, released = 0;
        for (const LogEntry& entry : log) {
            if (entry.Field("object") != object)
                continue;
            made += entry.event == "create" && entry.Field("hr") == "0x00000000";
            released += entry.event == "release" && entry.Field("refs") == "0";
        }
        EXPECT_EQ(made, std::string(object) == "dinput" ? 2 : 1);
        EXPECT_EQ(released, made);
    }
}

}  // namespace
