#pragma once

#include <QProcess>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// How a child ended: a normal exit with its code, or a crash.
struct ExitStatus {
    bool exited = false;
    int code = 0;

    bool isCleanExit() const { return exited && code == 0; }
    std::string describe() const;
};

// One program a test starts, with its output in a log. It dies with the
// test process, and the destructor stops it, so no failure path leaves a
// process behind.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment,
        const std::filesystem::path& logPath);
    ~ChildProcess();

    qint64 pid() const { return m_pid; }
    bool isRunning();
    // Whether its main thread waits in poll() with no timer due within a
    // second, as the event loop of a Qt program does once it has nothing
    // left to do: a repaint, for one, waits for a timer of 5 ms.
    bool isIdle() const;
    // Nothing when it is still running at the timeout.
    std::optional<ExitStatus> waitForExit(std::chrono::milliseconds timeout);

private:
    QProcess m_process;
    qint64 m_pid = 0;
};

// Runs a short command to its end (xdotool, xrandr) and returns how it
// ended; a command that hangs is killed after the timeout.
ExitStatus runCommand(const std::vector<std::string>& arguments,
    std::chrono::milliseconds timeout = std::chrono::seconds(10), std::string* output = nullptr);
