// The measuring program of scripts/bench. It starts a window program the way a user would (its own
// folder as working folder) and watches it from outside, as a separate process in the same Wine
// prefix:
//
//   jq_bench startup <runs> <program> [<program> ...]
//       Time from CreateProcess to the first painted window, for each program, the programs taken
//       in turn (A B A B ...) so they share the machine's conditions; one unmeasured warm-up
//       start each. Prints one line per program: "startup <label> median_ms=... runs_ms=...".
//
//   jq_bench cpu <seconds> <marks file> [--wheel rest|turning] <program>
//       Starts the program, waits for its painted window and lets it settle, then writes the line
//       "BEGIN pid=<id>" to the marks file, waits <seconds>, writes "END", closes the program's
//       window and writes "EXIT <code>"; it fails unless the program ends with 0. The caller
//       watches the file and samples the CPU time on the Linux side (the Wine process, the
//       wineserver, the X server) at BEGIN and END: Wine's GetProcessTimes reports nothing for
//       another process, and a file, unlike this program's output, reaches the caller at once.
//       With --wheel, the virtual wheel's shared block is held open from before the start to
//       the end, the wheel at rest or turning all the time (its sweep).
//
// <program> is "label|probes|command line"; probes are "x,y,RRGGBB" in client coordinates,
// separated by ';'. The window counts as painted when it is visible and the screen shows every
// probe's colour at its point: the colours are ones the program's own paint sets, never the
// colour a window has before it paints.
#include <windows.h>

#include <algorithm>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "Clock.h"
#include "UiDriver.h"
#include "VirtualWheelControl.h"

namespace {

struct Probe
{
    POINT point;
    COLORREF color;
};

struct Program
{
    std::string label;
    std::vector<Probe> probes;
    std::string commandLine;
    std::string folder;  // the program's own folder: its working folder
    std::vector<double> startupMs;
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos)
            return parts;
        from = at + 1;
    }
}

bool ParseProbe(const std::string& text, Probe& probe)
{
    int x = 0, y = 0;
    unsigned rgb = 0;
    if (sscanf(text.c_str(), "%d,%d,%x", &x, &y, &rgb) != 3)
        return false;
    probe.point.x = x;
    probe.point.y = y;
    probe.color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

// The folder of the program named first on the command line (quoted or not).
std::string ProgramFolder(const std::string& commandLine)
{
    std::string path;
    if (!commandLine.empty() && commandLine[0] == '"')
        path = commandLine.substr(1, commandLine.find('"', 1) - 1);
    else
        path = commandLine.substr(0, commandLine.find(' '));
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool ParseProgram(const std::string& text, Program& program)
{
    const std::vector<std::string> parts = Split(text, '|');
    if (parts.size() != 3 || parts[0].empty() || parts[2].empty())
        return false;
    program.label = parts[0];
    for (const std::string& probeText : Split(parts[1], ';')) {
        Probe probe;
        if (!ParseProbe(probeText, probe))
            return false;
        program.probes.push_back(probe);
    }
    program.commandLine = parts[2];
    program.folder = ProgramFolder(program.commandLine);
    return true;
}

struct ScreenDc
{
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { if (dc) ReleaseDC(nullptr, dc); }
    ScreenDc() = default;
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
};

bool ShowsProbes(HWND window, const std::vector<Probe>& probes)
{
    if (!IsWindowVisible(window))
        return false;
    ScreenDc screen;
    for (const Probe& probe : probes) {
        POINT at = probe.point;
        if (!ClientToScreen(window, &at) || GetPixel(screen.dc, at.x, at.y) != probe.color)
            return false;
    }
    return true;
}

// The process's painted top-level window, or null after timeoutMs.
HWND WaitForPaintedWindow(const uidriver::Process& process, const std::vector<Probe>& probes,
                          DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs && process.IsRunning()) {
        for (HWND window : uidriver::TopLevelWindowsOf(process.id()))
            if (ShowsProbes(window, probes))
                return window;
        Sleep(1);
    }
    return nullptr;
}

// Closes the window as the close box would and waits for the process to end.
DWORD CloseAndWait(uidriver::Process& process, HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (!process.Wait(15000)) {
        fprintf(stderr, "jq_bench: the program did not end after WM_CLOSE; killed\n");
        process.Kill();
    }
    return process.ExitCode();
}

const DWORD WindowTimeoutMs = 30000;

// One start to the painted window; negative when the window did not come.
double MeasureStartup(const Program& program)
{
    const double start = NowMs();
    uidriver::Process process = uidriver::Process::Start(program.commandLine, program.folder);
    if (!process.started())
        return -1;
    HWND window = WaitForPaintedWindow(process, program.probes, WindowTimeoutMs);
    const double painted = NowMs();
    if (!window)
        return -1;
    CloseAndWait(process, window);
    return painted - start;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

int Startup(int runs, std::vector<Program>& programs)
{
    for (int run = -1; run < runs; ++run) {
        for (Program& program : programs) {
            const double ms = MeasureStartup(program);
            if (ms < 0) {
                fprintf(stderr, "jq_bench: %s showed no painted window\n", program.label.c_str());
                return 1;
            }
            if (run >= 0)  // run -1 warms the caches up
                program.startupMs.push_back(ms);
            Sleep(200);
        }
    }
    for (const Program& program : programs) {
        printf("startup %s median_ms=%.1f runs_ms=", program.label.c_str(),
               Median(program.startupMs));
        for (size_t i = 0; i < program.startupMs.size(); ++i)
            printf("%s%.0f", i ? "," : "", program.startupMs[i]);
        printf("\n");
    }
    return 0;
}

const DWORD SettleMs = 2000;

enum class Wheel { None, AtRest, Turning };

// Appends one line to the marks file, at once.
void Mark(const std::string& marksFile, const char* format, ...)
{
    FILE* file = fopen(marksFile.c_str(), "a");
    if (!file)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(file, format, arguments);
    va_end(arguments);
    fputc('\n', file);
    fclose(file);
}

int Cpu(double seconds, const std::string& marksFile, Wheel wheelMode, const Program& program)
{
    vwheel::Control wheel;
    if (wheelMode != Wheel::None) {
        if (!wheel.IsOpen()) {
            fprintf(stderr, "jq_bench: cannot open the virtual wheel\n");
            return 1;
        }
        wheel.Neutral();
        wheel.SetSweep(wheelMode == Wheel::Turning);
    }
    uidriver::Process process = uidriver::Process::Start(program.commandLine, program.folder);
    if (!process.started()) {
        fprintf(stderr, "jq_bench: cannot start %s\n", program.commandLine.c_str());
        return 1;
    }
    HWND window = WaitForPaintedWindow(process, program.probes, WindowTimeoutMs);
    if (!window) {
        fprintf(stderr, "jq_bench: %s showed no painted window\n", program.label.c_str());
        return 1;
    }
    Sleep(SettleMs);

    if (wheelMode != Wheel::None && wheel.DllProcess() != process.id()) {
        fprintf(stderr, "jq_bench: %s did not load the virtual wheel\n", program.label.c_str());
        CloseAndWait(process, window);
        return 1;
    }

    const double wallBefore = NowMs();
    Mark(marksFile, "BEGIN pid=%lu", process.id());
    Sleep(static_cast<DWORD>(seconds * 1000));
    Mark(marksFile, "END wall_ms=%.0f", NowMs() - wallBefore);

    const DWORD code = CloseAndWait(process, window);
    Mark(marksFile, "EXIT %lu", code);
    return code == 0 ? 0 : 1;
}

int Usage()
{
    fprintf(stderr, "usage: jq_bench startup <runs> <program>...\n"
                    "       jq_bench cpu <seconds> <marks file> [--wheel rest|turning] <program>\n"
                    "<program>: \"label|x,y,RRGGBB[;x,y,RRGGBB...]|command line\"\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return Usage();
    const std::string command = argv[1];
    int first = 3;
    std::string marksFile;
    Wheel wheel = Wheel::None;
    if (command == "cpu") {
        marksFile = argv[first++];
        if (argc > first + 2 && std::string(argv[first]) == "--wheel") {
            const std::string mode = argv[first + 1];
            if (mode != "rest" && mode != "turning")
                return Usage();
            wheel = mode == "rest" ? Wheel::AtRest : Wheel::Turning;
            first += 2;
        }
    }
    std::vector<Program> programs;
    for (int i = first; i < argc; ++i) {
        Program program;
        if (!ParseProgram(argv[i], program)) {
            fprintf(stderr, "jq_bench: cannot read program \"%s\"\n", argv[i]);
            return Usage();
        }
        programs.push_back(program);
    }
    if (command == "startup")
        return Startup(atoi(argv[2]), programs);
    if (command == "cpu" && programs.size() == 1)
        return Cpu(atof(argv[2]), marksFile, wheel, programs[0]);
    return Usage();
}
