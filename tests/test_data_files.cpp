#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_files.h"
#include "world/data_files.h"

namespace fs = std::filesystem;

TEST(DataFiles, TheFirstFolderThatHasTheFileGivesItAndANowhereFileIsReportedOnce)
{
    TempWorkDir dir;
    const std::string here = fs::current_path().string(), bin = here + "/game/bin";
    SetProgramPath((bin + "/fusewalker").c_str());
    const std::vector<std::string> folders = DataFolders();
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], here);
    EXPECT_EQ(folders[1], bin);
    SetProgramPath((bin + "/").c_str());
    EXPECT_EQ(DataFolders(), folders) << "the folder alone, as SDL gives it";

    // Each holder's copy holds its folder's index.
    const struct {
        const char* name;
        std::vector<int> holders;
        int opened;
    } cases[] = {{"a", {0, 1, 2}, 0}, {"b", {1, 2}, 1}, {"c", {2}, 2}, {"d", {}, -1}};
    for (const auto& c : cases) {
        for (int holder : c.holders) {
            fs::create_directories(folders[size_t(holder)]);
            WriteFile(folders[size_t(holder)] + "/" + c.name, {static_cast<unsigned char>(holder)});
        }
        testing::internal::CaptureStderr();
        std::FILE* first = OpenDataFile(c.name, "plain");
        std::FILE* again = OpenDataFile(c.name, "plain");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(first ? std::fgetc(first) : -1, c.opened) << c.name;
        for (std::FILE* file : {first, again})
            if (file)
                std::fclose(file);
        EXPECT_EQ(said, c.opened >= 0 ? ""
                                      : "fusewalker: d is in none of \"" + folders[0] + "\", \"" + folders[1] +
                                            "\", \"" + folders[2] + "\"; plain\n")
            << c.name;
    }
    SetProgramPath(nullptr);
    EXPECT_EQ(DataFolders(), std::vector<std::string>{here});
}
