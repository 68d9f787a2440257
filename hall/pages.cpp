#include "hall/pages.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr long long MaxPageFileBytes = 64 << 20;

// The types a browser insists on (a module script, WebAssembly streaming,
// the manifest); anything else is only bytes.
std::string TypeOf(const std::string& path)
{
    static const std::pair<const char*, const char*> Types[] = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"}, {".wasm", "application/wasm"},
        {".png", "image/png"}, {".webmanifest", "application/manifest+json"},
        {".json", "application/json"}, {".css", "text/css; charset=utf-8"},
        {".ico", "image/x-icon"}, {".txt", "text/plain; charset=utf-8"}};
    for (const auto& [extension, type] : Types) {
        std::string end = extension;
        if (path.size() > end.size() && path.compare(path.size() - end.size(), end.size(), end) == 0)
            return type;
    }
    return "application/octet-stream";
}

// Each part of the path an ordinary name: no "..", no hidden files, no
// separators of another system, no NUL.
bool PlainPath(const std::string& relative)
{
    std::istringstream parts(relative);
    std::string part;
    while (std::getline(parts, part, '/'))
        if (part.empty() || part[0] == '.' || part.find_first_of(std::string("\\\0", 2)) != std::string::npos)
            return false;
    return !relative.empty() && relative.back() != '/';
}

} // namespace

std::string EscapeHtml(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string HallPage(const std::vector<KeptRound>& best)
{
    std::string page =
        "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>Fusewalker: the hall</title>"
        "<style>body{background:#000;color:#ddd;font:16px sans-serif;max-width:42em;margin:2em auto;padding:0 1em}"
        "a{color:#f84}table{border-collapse:collapse;width:100%}th,td{padding:.3em .6em;text-align:left}"
        "td.n{text-align:right}tr:nth-child(even){background:#151515}</style></head><body>\n"
        "<h1>The hall</h1>\n<p>The best rounds sent here. Each was replayed from its recording before it was kept, "
        "and scored what it claims. Watch one to see how it was done; then <a href=\"/\">play</a>.</p>\n";
    if (best.empty())
        return page + "<p>No round is kept yet.</p>\n</body></html>\n";
    page += "<table><tr><th>rank</th><th>name</th><th>score</th><th>date</th><th></th></tr>\n";
    for (const KeptRound& round : best)
        page += "<tr><td class=\"n\">" + std::to_string(round.rank) + "</td><td>" + EscapeHtml(round.name) +
                "</td><td class=\"n\">" + std::to_string(round.score) + "</td><td>" +
                EscapeHtml(round.submitted.substr(0, 10)) + "</td><td><a href=\"/#round=" + EscapeHtml(round.fragment) +
                "\">watch</a></td></tr>\n";
    return page + "</table>\n</body></html>\n";
}

bool ReadPageFile(const std::string& root, const std::string& path, PageFile* file)
{
    std::string relative = path.substr(path.empty() ? 0 : 1);
    if (relative.empty() || relative.back() == '/')
        relative += "index.html";
    if (root.empty() || !PlainPath(relative))
        return false;
    // The file's real path, links followed, must still lie under the root.
    char real[PATH_MAX];
    struct stat status = {};
    if (!realpath((root + "/" + relative).c_str(), real) || std::string(real).rfind(root + "/", 0) != 0 ||
        stat(real, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > MaxPageFileBytes)
        return false;
    std::ifstream in(real, std::ios::binary);
    file->body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    file->type = TypeOf(relative);
    return !in.bad();
}
