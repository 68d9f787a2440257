#include "hall/routes.h"

#include <arpa/inet.h>

#include <chrono>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "hall/pages.h"
#include "hall/submission.h"

namespace {

using Json = nlohmann::json;
using httplib::Request;
using httplib::Response;

constexpr int MaxTop = 100;
constexpr int BusySeconds = 2; // about what a line of replays takes to move on

void Answer(Response& res, int status, const Json& body)
{
    res.status = status;
    res.set_header("Cache-Control", "no-store");
    res.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n", "application/json; charset=utf-8");
}

void Refuse(Response& res, int status, const std::string& why) { Answer(res, status, {{"error", why}}); }

void Busy(Response& res, const std::string& why)
{
    Refuse(res, 503, why);
    res.set_header("Retry-After", std::to_string(BusySeconds));
}

// Whose bucket a request takes from: the address, or an IPv6 address's
// /64, which is one subscriber's as a rule.
std::string RateKey(const std::string& address)
{
    unsigned char bytes[16];
    if (inet_pton(AF_INET6, address.c_str(), bytes) != 1)
        return address;
    static const unsigned char Mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(Mapped, Mapped + 12, bytes))
        return address.substr(address.rfind(':') + 1);
    char prefix[INET6_ADDRSTRLEN];
    std::fill(bytes + 8, bytes + 16, 0);
    return std::string(inet_ntop(AF_INET6, bytes, prefix, sizeof prefix)) + "/64";
}

double Now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

Json Listed(const KeptRound& round)
{
    return {{"id", round.id}, {"name", round.name}, {"score", round.score}, {"rank", round.rank},
            {"submitted", round.submitted}};
}

// A whole number from 1 to `most`, in plain digits; 0 for anything else.
long long Number(const std::string& text, long long most)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    long long number = std::stoll(text);
    return number <= most ? number : 0;
}

bool JsonType(const std::string& type)
{
    std::string media = type.substr(0, type.find(';'));
    media.erase(media.find_last_not_of(" \t") + 1);
    for (char& c : media)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return media == "application/json";
}

// What refuses a round before its body is read: true to go on and read it.
bool Admit(Hall& hall, const Request& req, Response& res)
{
    if (!JsonType(req.get_header_value("Content-Type")))
        Refuse(res, 415, "a round is sent as application/json");
    else if (req.has_header("Content-Encoding"))
        Refuse(res, 415, "a round is sent without a Content-Encoding");
    else if (int wait = hall.rate.Take(RateKey(req.remote_addr), Now()); wait > 0) {
        Refuse(res, 429, "too many rounds from this address: " + std::to_string(hall.ratePerMinute) + " a minute at most");
        res.set_header("Retry-After", std::to_string(wait));
    } else
        return true;
    BoundedServer::CloseAfterResponse(res);
    return false;
}

void Log(const std::string& line) { std::fprintf(stderr, "fusewalker-hall: %s\n", line.c_str()); }

void AnswerKept(Response& res, int status, const KeptRound& round)
{
    Answer(res, status, {{"id", round.id}, {"score", round.score}, {"rank", round.rank}});
}

// A verified round: kept, or found kept already.
void Submit(Hall& hall, Response& res, const httplib::ContentReader& reader)
{
    std::string body;
    bool tooLarge = false;
    bool whole = reader([&](const char* data, size_t size) {
        tooLarge = body.size() + size > hall.maxBody;
        if (!tooLarge)
            body.append(data, size);
        return !tooLarge;
    });
    if (!whole) {
        BoundedServer::CloseAfterResponse(res);
        return tooLarge || res.status == 413
                   ? Refuse(res, 413, "the body is larger than " + std::to_string(hall.maxBody) + " bytes")
                   : Refuse(res, 408, "the body did not arrive whole in time");
    }
    Submission submission;
    std::string error;
    if (!ReadSubmission(body, &submission, &error) || !(error = CheckName(submission.name)).empty())
        return Refuse(res, 400, error);
    PreparedRound round;
    if (!PrepareRound(submission, &round, &error))
        return Refuse(res, 422, error);
    if (std::optional<KeptRound> kept = hall.store.FindByHash(round.sha256))
        return AnswerKept(res, 200, *kept);

    ReplayResult replay;
    if (!hall.gate.Run([&] { replay = ReplayInWorker(hall.replay, round.text); }))
        return Busy(res, "every replay is taken and the line is full: try again soon");
    if (replay.end == ReplayEnd::OutOfTime)
        return Busy(res, replay.problem);
    if (replay.end == ReplayEnd::Failed) {
        Log("a replay failed: " + replay.problem);
        return Refuse(res, 500, "the replay failed");
    }
    if (replay.end != ReplayEnd::Replayed)
        return Refuse(res, 422, replay.problem);
    if (!replay.matched) {
        if (replay.failedFrame < 0)
            return Refuse(res, 422, replay.problem);
        return Answer(res, 422, {{"error", "This round does not replay to its score: frame " +
                                               std::to_string(replay.failedFrame) + " differs from the recording."},
                                 {"frame", replay.failedFrame}});
    }
    bool added = false;
    KeptRound kept = hall.store.Keep({submission.name, round.score, round.frames, round.fragment, round.sha256}, &added);
    char line[160];
    std::snprintf(line, sizeof line, "round %lld %s: score %d, %ld frames, replayed in %.3f s of CPU", kept.id,
                  added ? "kept" : "was kept already", round.score, round.frames, replay.cpuSeconds);
    Log(line);
    AnswerKept(res, added ? 201 : 200, kept);
}

void Get(Hall& hall, const Request& req, Response& res)
{
    const std::string& path = req.path;
    if (path == "/api/hall") {
        return Answer(res, 200, {{"hall", true}, {"version", FW_VERSION}, {"maxBody", hall.maxBody},
                                 {"ratePerMinute", hall.ratePerMinute}, {"top", MaxTop}});
    }
    if (path == "/api/rounds") {
        long long top = req.has_param("top") ? Number(req.get_param_value("top"), MaxTop) : 10;
        if (top == 0)
            return Refuse(res, 400, "top is a whole number from 1 to " + std::to_string(MaxTop));
        Json list = Json::array();
        for (const KeptRound& round : hall.store.Best(int(top)))
            list.push_back(Listed(round));
        return Answer(res, 200, list);
    }
    if (path.rfind("/api/rounds/", 0) == 0) {
        long long id = Number(path.substr(12), 999999999999999999);
        std::optional<KeptRound> round = id ? hall.store.Find(id) : std::nullopt;
        if (!round)
            return Refuse(res, 404, "no round is kept with that id");
        Json answer = Listed(*round);
        answer["round"] = round->fragment;
        return Answer(res, 200, answer);
    }
    if (path == "/hall") {
        res.set_header("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
        res.set_header("Cache-Control", "no-store");
        return res.set_content(HallPage(hall.store.Best(MaxTop)), "text/html; charset=utf-8");
    }
    if (path.rfind("/api/", 0) == 0)
        return Refuse(res, 404, "no such API");
    PageFile file;
    if (!ReadPageFile(hall.pageDir, path, &file)) {
        res.status = 404;
        return res.set_content(hall.pageDir.empty() && path == "/" ? "No game page is served here: see /hall\n"
                                                                   : "Not found\n",
                               "text/plain; charset=utf-8");
    }
    // The game's page asks for itself with HEAD to learn it is served by a
    // hall, which a page served as a plain folder learns without an error.
    res.set_header("Cache-Control", "no-cache");
    res.set_header("Fusewalker-Hall", "api/rounds");
    res.set_content(file.body, file.type.c_str());
}

// The database's trouble, and anything unforeseen, as an answer.
template <typename Handle>
void Guarded(Response& res, Handle handle)
{
    try {
        handle();
    } catch (const StoreUnavailable& error) {
        Log(error.what());
        Busy(res, "the hall's database cannot be reached: try again soon");
    } catch (const std::exception& error) {
        Log(error.what());
        Refuse(res, 500, "the hall failed");
    }
}

} // namespace

void AddRoutes(BoundedServer& server, Hall& hall)
{
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"}});
    server.set_pre_routing_handler([&hall](const Request& req, Response& res) {
        if (req.method == "POST" && req.path == "/api/rounds")
            return Admit(hall, req, res) ? httplib::Server::HandlerResponse::Unhandled
                                         : httplib::Server::HandlerResponse::Handled;
        if (req.has_header("Content-Length") ? req.get_header_value("Content-Length") != "0"
                                             : req.has_header("Transfer-Encoding")) {
            Refuse(res, 413, "only a round is sent with a body, to POST /api/rounds");
            BoundedServer::CloseAfterResponse(res);
        } else if (req.method != "GET" && req.method != "HEAD") {
            Refuse(res, 405, "the hall answers GET, and POST to /api/rounds");
            res.set_header("Allow", "GET, HEAD");
        } else {
            Guarded(res, [&] { Get(hall, req, res); });
        }
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Post("/api/rounds", [&hall](const Request&, Response& res, const httplib::ContentReader& reader) {
        Guarded(res, [&] { Submit(hall, res, reader); });
    });
}
