#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// The game reads its files from the current directory. A test that controls
// those files works in a fresh directory of its own and returns to the old
// one (and removes the new one) when it ends.
class TempWorkDir {
public:
    TempWorkDir()
    {
        old_ = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "fusewalker-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr)
            std::abort();
        path_ = name.data();
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

    // Writes bytes to a file of the given name in this directory.
    static void WriteFile(const char* name, const void* bytes, size_t count)
    {
        FILE* f = std::fopen(name, "wb");
        if (!f)
            std::abort();
        if (count > 0 && std::fwrite(bytes, 1, count, f) != count)
            std::abort();
        std::fclose(f);
    }

private:
    std::filesystem::path old_;
    std::filesystem::path path_;
};
