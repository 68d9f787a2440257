#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The game reads its files from the current directory: a test that controls
// them works in a fresh one of its own, removed when it ends.
struct TempWorkDir {
    fs::path old = fs::current_path(), path;
    TempWorkDir()
    {
        std::string name = (fs::temp_directory_path() / "fusewalker-XXXXXX").string();
        if (!mkdtemp(name.data()))
            std::abort();
        fs::current_path(path = name);
    }
    ~TempWorkDir()
    {
        std::error_code ignored;
        fs::current_path(old);
        fs::remove_all(path, ignored);
    }
};

inline void WriteFile(const std::string& name, const Bytes& bytes)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) || std::fclose(f) != 0)
        std::abort();
}

inline void CopyDataFile(const char* name)
{
    fs::copy_file(fs::path(FW_DATA_DIR) / name, name, fs::copy_options::overwrite_existing);
}
