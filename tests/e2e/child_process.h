#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// How a child ended: a normal exit with its code, or a signal.
struct ExitStatus {
    bool exited = false;
    int code = 0;
    int signal = 0;

    bool isCleanExit() const { return exited && code == 0; }
    std::string describe() const;
};

// One program a test starts.
// The child dies with the test process (PR_SET_PDEATHSIG), and the destructor
// stops and reaps it, so no failure path leaves a process behind.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> arguments; // arguments[0] is the program
        std::vector<std::string> extraEnvironment; // NAME=VALUE, besides the test's own
        std::filesystem::path logPath; // stdout and stderr
    };

    explicit ChildProcess(const Options& options);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    bool isRunning();
    // Polls until the child ends; nothing when it is still running then.
    std::optional<ExitStatus> waitForExit(std::chrono::milliseconds timeout);
    // SIGTERM, then SIGKILL if it lingers; always reaps.
    void stop();

private:
    bool reap(int options);

    pid_t m_pid = -1;
    std::optional<ExitStatus> m_status;
};

// Runs a short command to its end (xdotool, wmctrl) and returns its exit
// status; a command that hangs is killed after the timeout.
ExitStatus runCommand(const std::vector<std::string>& arguments,
    std::chrono::milliseconds timeout = std::chrono::seconds(10), std::string* output = nullptr);
