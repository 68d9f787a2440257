#pragma once

#include <string>
#include <vector>

#include "hall/store.h"

// What the hall shows a browser: the hall page, and the game's own page.

// Text made safe inside HTML, in an element or a quoted attribute.
std::string EscapeHtml(const std::string& text);

// The hall page: the best rounds, each with a link that plays it in the game's page.
std::string HallPage(const std::vector<KeptRound>& best);

struct PageFile {
    std::string body;
    std::string type;
};

// The file a URL path names under `root` (a real path): "/" and folders
// are their index.html. False for a name outside it, a hidden or missing
// file, or a folder; nothing is ever listed.
bool ReadPageFile(const std::string& root, const std::string& path, PageFile* file);
