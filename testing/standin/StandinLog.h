// Reads back the log the stand-in program writes (format at the top of standin.cpp).
#pragma once

#include <string>
#include <vector>

namespace standin {

struct Run
{
    std::string name;       // the stand-in's file name, e.g. "DPInst.exe"
    std::string arguments;  // the command line after the program name, blanks kept
    std::string folder;     // its working folder
    unsigned long long started = 0;  // FILETIME counts
    unsigned long long ended = 0;    // 0 while still running
};

inline std::vector<std::string> SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t begin = 0;
    for (;;) {
        size_t tab = line.find('\t', begin);
        fields.push_back(line.substr(begin, tab == std::string::npos ? tab : tab - begin));
        if (tab == std::string::npos)
            return fields;
        begin = tab + 1;
    }
}

// The runs in the order they started; an "end" line closes the earliest open run of that name.
inline std::vector<Run> ParseLog(const std::string& text)
{
    std::vector<Run> runs;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find("\r\n", begin);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> fields = SplitFields(text.substr(begin, end - begin));
        begin = end + 2;
        if (fields[0] == "start" && fields.size() == 5) {
            Run run;
            run.name = fields[1];
            run.arguments = fields[2];
            run.folder = fields[3];
            run.started = std::stoull(fields[4]);
            runs.push_back(run);
        } else if (fields[0] == "end" && fields.size() == 3) {
            for (Run& run : runs) {
                if (run.name == fields[1] && run.ended == 0) {
                    run.ended = std::stoull(fields[2]);
                    break;
                }
            }
        }
    }
    return runs;
}

}  // namespace standin
