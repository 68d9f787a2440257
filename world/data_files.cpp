#include "world/data_files.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <set>

namespace {

// Plain strings rather than std::filesystem: on Windows its conversions of
// the ANSI names that GetModuleFileNameA and fopen use can fail and throw.
#ifdef _WIN32
const char* const Separators = "\\/";
#else
const char* const Separators = "/";
#endif

std::string ProgramFolder;

// The folder a path names a file in; a root keeps its separator.
std::string FolderOf(const std::string& path)
{
    size_t last = path.find_last_of(Separators);
    if (last == std::string::npos)
        return "";
    bool root = last == 0 || (last == 2 && path[1] == ':');
    return path.substr(0, root ? last + 1 : last);
}

std::string Join(const std::string& folder, const std::string& name)
{
    bool separated = !folder.empty() && std::strchr(Separators, folder.back());
    return separated ? folder + name : folder + Separators[0] + name;
}

// The folder a relative path of '/'-separated steps leads to; ".." is taken
// by name, which is sound since the program's folder has no links left in it.
std::string Follow(std::string folder, const std::string& way)
{
    for (size_t start = 0; start < way.size();) {
        size_t end = std::min(way.find('/', start), way.size());
        std::string step = way.substr(start, end - start);
        if (step == "..")
            folder = FolderOf(folder);
        else if (!step.empty() && step != ".")
            folder = Join(folder, step);
        start = end + 1;
    }
    return folder;
}

std::string WorkingFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : ".";
}

} // namespace

void SetProgramPath(const char* path)
{
    ProgramFolder = path ? FolderOf(path) : "";
}

std::vector<std::string> DataFolders()
{
    std::vector<std::string> folders = {WorkingFolder()};
    if (!ProgramFolder.empty()) {
        // The build gives FW_BIN_TO_DATA, the way from the installed program to its data.
        for (const std::string& folder : {ProgramFolder, Follow(ProgramFolder, FW_BIN_TO_DATA)})
            if (std::find(folders.begin(), folders.end(), folder) == folders.end())
                folders.push_back(folder);
    }
    return folders;
}

std::FILE* OpenDataFile(const char* name, const char* without)
{
    std::vector<std::string> folders = DataFolders();
    for (const std::string& folder : folders)
        if (std::FILE* file = std::fopen(Join(folder, name).c_str(), "rb"))
            return file;

    static std::set<std::string> reported;
    if (reported.insert(name).second) {
        std::string list;
        for (const std::string& folder : folders)
            list += (list.empty() ? "\"" : ", \"") + folder + "\"";
        std::fprintf(stderr, "fusewalker: %s is in none of %s; %s\n", name, list.c_str(), without);
    }
    return nullptr;
}
