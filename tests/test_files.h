#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// The game reads its files from the current directory. A test that controls
// those files works in a fresh directory of its own, removed when it ends.
class TempWorkDir {
public:
    TempWorkDir() : old_(std::filesystem::current_path())
    {
        std::string name = (std::filesystem::temp_directory_path() / "fusewalker-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr)
            std::abort();
        path_ = name;
        std::filesystem::current_path(path_);
    }
    ~TempWorkDir()
    {
        std::filesystem::current_path(old_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

private:
    std::filesystem::path old_, path_;
};

using Bytes = std::vector<unsigned char>;

inline void WriteFile(const std::string& name, const Bytes& bytes)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()))
        std::abort();
    std::fclose(f);
}

inline void CopyDataFile(const char* name)
{
    std::filesystem::copy_file(std::filesystem::path(FW_DATA_DIR) / name, name,
                               std::filesystem::copy_options::overwrite_existing);
}
