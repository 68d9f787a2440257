#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The game's data files are looked for in the working directory first, then
// beside the executable, then in the installed data folder found relative to
// the executable, so an install tree works wherever it is put.

// Tells where the executable is: its own path, or its folder ending in a
// separator. Until then, and after a null, only the working directory is searched.
void SetProgramPath(const char* path);

// The folders searched, in order, without repeats.
std::vector<std::string> DataFolders();

// Opens a data file for reading from the first folder that has it. When none
// has, says once per run on stderr where it looked and what the game does
// without it, and returns null.
std::FILE* OpenDataFile(const char* name, const char* without);
