#include "hall/replay_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t MaxAnswerBytes = 64 << 10;
constexpr int WorkerOutOfMemory = 4;

int MillisecondsLeft(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 1000));
}

struct Pipes {
    int in[2] = {-1, -1}; // the worker's standard input
    int out[2] = {-1, -1}; // its standard output
    ~Pipes()
    {
        for (int fd : {in[0], in[1], out[0], out[1]})
            if (fd >= 0)
                close(fd);
    }
};

void Close(int* fd)
{
    close(*fd);
    *fd = -1;
}

pid_t Spawn(const ReplayLimits& limits, Pipes* pipes)
{
    if (pipe2(pipes->in, O_CLOEXEC) != 0 || pipe2(pipes->out, O_CLOEXEC) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes->in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, pipes->out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // httplib accepts its sockets without close-on-exec: none may leak in.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    std::vector<std::string> args = {limits.worker, "--data", limits.dataDir, "--cpu-seconds",
                                     std::to_string(limits.cpuSeconds), "--memory-mb", std::to_string(limits.memoryMb)};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, limits.worker.c_str(), &actions, &attributes, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    Close(&pipes->in[0]);
    Close(&pipes->out[1]);
    return pid;
}

// Writes the recording and reads the answer until the worker closes its
// output or the deadline passes; false at the deadline.
bool Converse(Pipes* pipes, const std::string& recording, std::string* answer, Clock::time_point deadline)
{
    fcntl(pipes->in[1], F_SETFL, O_NONBLOCK);
    size_t written = 0;
    if (recording.empty())
        Close(&pipes->in[1]);
    while (Clock::now() < deadline) {
        pollfd fds[2] = {{pipes->out[0], POLLIN, 0}, {pipes->in[1], POLLOUT, 0}};
        if (poll(fds, pipes->in[1] >= 0 ? 2 : 1, MillisecondsLeft(deadline)) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents & (POLLOUT | POLLERR | POLLHUP)) {
            ssize_t n = write(pipes->in[1], recording.data() + written, recording.size() - written);
            if (n > 0)
                written += size_t(n);
            if ((n < 0 && errno != EAGAIN) || written == recording.size())
                Close(&pipes->in[1]); // done, or the worker stopped reading
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char slice[4096];
            ssize_t n = read(pipes->out[0], slice, sizeof slice);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                return true;
            if (n > 0 && answer->size() < MaxAnswerBytes)
                answer->append(slice, std::min(size_t(n), MaxAnswerBytes - answer->size()));
        }
    }
    return false;
}

// The worker's end: waited for until the deadline, then killed.
int Reap(pid_t pid, Clock::time_point deadline, bool* killed, rusage* usage)
{
    int status = 0;
    for (;;) {
        pid_t done = wait4(pid, &status, *killed ? 0 : WNOHANG, usage);
        if (done == pid || (done < 0 && errno != EINTR))
            return status;
        if (done == 0 && Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            *killed = true;
        } else if (done == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
}

std::string SecondsInWords(int count) { return std::to_string(count) + (count == 1 ? " second" : " seconds"); }

double Seconds(const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; }

void ReadAnswer(const std::string& line, ReplayResult* result)
{
    nlohmann::json answer = nlohmann::json::parse(line, nullptr, false);
    if (!answer.is_object() || !answer.contains("matched")) {
        result->problem = answer.is_object() && answer.value("error", nlohmann::json()).is_string()
                              ? answer["error"].get<std::string>()
                              : "the replay answered nothing readable";
        return;
    }
    try {
        result->matched = answer.at("matched").get<bool>();
        result->outcomes = answer.at("outcomes").get<long>();
        result->failedFrame = answer.at("failedFrame").get<long>();
        result->problem = answer.at("problem").get<std::string>();
        result->score = answer.at("score").get<int>();
        result->end = ReplayEnd::Replayed;
    } catch (const nlohmann::json::exception&) {
        result->problem = "the replay answered nothing readable";
    }
}

} // namespace

ReplayResult ReplayInWorker(const ReplayLimits& limits, const std::string& recording)
{
    ReplayResult result;
    Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limits.wallSeconds));
    Pipes pipes;
    pid_t pid = Spawn(limits, &pipes);
    if (pid < 0) {
        result.problem = "the replay program \"" + limits.worker + "\" could not be started";
        return result;
    }
    std::string answer;
    bool killed = !Converse(&pipes, recording, &answer, deadline);
    if (killed)
        kill(pid, SIGKILL);
    rusage usage = {};
    int status = Reap(pid, deadline, &killed, &usage);
    result.cpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    bool cpuSpent = result.cpuSeconds >= limits.cpuSeconds;
    if (WIFSIGNALED(status) && (WTERMSIG(status) == SIGXCPU || (WTERMSIG(status) == SIGKILL && cpuSpent))) {
        result.end = ReplayEnd::OutOfCpu;
        result.problem = "the round takes more than " + SecondsInWords(limits.cpuSeconds) + " of CPU to replay";
    } else if (killed) {
        result.end = ReplayEnd::OutOfTime;
        result.problem = "the replay did not finish within " + SecondsInWords(int(limits.wallSeconds));
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == WorkerOutOfMemory) {
        result.end = ReplayEnd::OutOfMemory;
        result.problem = "the round needs more than " + std::to_string(limits.memoryMb) + " MB to replay";
    } else {
        ReadAnswer(answer.substr(0, answer.find('\n')), &result);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            result.end = ReplayEnd::Failed;
            if (result.problem.empty())
                result.problem = "the replay program failed (wait status " + std::to_string(status) + ")";
        }
    }
    return result;
}
