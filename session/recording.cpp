#include "session/recording.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "session/report.h"

namespace {

FILE* File = nullptr;
std::string Path;
std::string Failure; // why the last write failed
bool Starting = false; // a failure now refuses the start, and the caller says so

std::string WriteError() { return "cannot write the recording \"" + Path + "\": " + std::strerror(errno); }

// A failed write ends the recording; the game goes on without it.
void GiveUp()
{
    Failure = WriteError();
    std::fclose(File);
    File = nullptr;
    if (!Starting)
        ReportProblem(Failure + "; recording stopped");
}

void WriteText(const std::string& text)
{
    if (File && (std::fputs(text.c_str(), File) < 0 || std::fputc('\n', File) == EOF))
        GiveUp();
}

} // namespace

bool StartRecording(const std::string& path, int pace, std::string* error)
{
    StopRecording();
    Path = path;
    File = std::fopen(path.c_str(), "w");
    if (!File) {
        *error = WriteError();
        return false;
    }
    Starting = true;
    WriteText("# fusewalker recording: play it with fusewalker --play, or fusewalker-replay --script");
    WriteText("pace " + std::to_string(pace));
    FlushRecording();
    Starting = false;
    if (!File)
        *error = Failure;
    return File != nullptr;
}

bool Recording() { return File != nullptr; }

void Record(const ScriptLine& line) { WriteText(FormatScriptLine(line)); }

void RecordWindow(int width, int height) { WriteText("window " + std::to_string(width) + " " + std::to_string(height)); }

void FlushRecording()
{
    if (File && std::fflush(File) != 0)
        GiveUp();
}

void StopRecording()
{
    FlushRecording();
    if (File && std::fclose(File) != 0)
        ReportProblem(WriteError());
    File = nullptr;
}
