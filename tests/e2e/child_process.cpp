#include "child_process.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
// Short commands usually end within a few milliseconds.
constexpr auto kCommandPollInterval = std::chrono::milliseconds(2);

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& text : strings)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

ExitStatus statusFromWait(int status)
{
    if (WIFEXITED(status))
        return { true, WEXITSTATUS(status), 0 };
    return { false, 0, WIFSIGNALED(status) ? WTERMSIG(status) : 0 };
}

// Everything the child needs is prepared before fork: between fork and exec
// only async-signal-safe calls are allowed.
pid_t spawn(std::vector<std::string> arguments, const std::vector<std::string>& extraEnvironment, int outputDescriptor)
{
    // The first of two entries of one name counts.
    std::vector<std::string> environment = extraEnvironment;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        const int nullInput = open("/dev/null", O_RDONLY);
        dup2(nullInput, 0);
        if (outputDescriptor >= 0) {
            dup2(outputDescriptor, 1);
            dup2(outputDescriptor, 2);
        }
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

} // namespace

std::string ExitStatus::describe() const
{
    if (exited)
        return "exited with code " + std::to_string(code);
    return "killed by signal " + std::to_string(signal);
}

ChildProcess::ChildProcess(const Options& options)
{
    int output = -1;
    if (!options.logPath.empty()) {
        output = open(options.logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (output < 0)
            throw std::runtime_error("cannot open " + options.logPath.string());
    }
    m_pid = spawn(options.arguments, options.extraEnvironment, output);
    if (output >= 0)
        close(output);
}

ChildProcess::~ChildProcess() { stop(); }

bool ChildProcess::reap(int options)
{
    if (m_status || m_pid <= 0)
        return true;
    int status = 0;
    const pid_t result = waitpid(m_pid, &status, options);
    if (result == m_pid) {
        m_status = statusFromWait(status);
        return true;
    }
    if (result < 0 && errno == ECHILD) {
        m_status = ExitStatus {};
        return true;
    }
    return false;
}

bool ChildProcess::isRunning() { return !reap(WNOHANG); }

std::optional<ExitStatus> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(kPollInterval);
    }
    return m_status;
}

void ChildProcess::stop()
{
    if (!isRunning())
        return;
    kill(m_pid, SIGTERM);
    if (waitForExit(std::chrono::seconds(3)))
        return;
    kill(m_pid, SIGKILL);
    reap(0);
}

ExitStatus runCommand(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout, std::string* output)
{
    int pipeDescriptors[2] = { -1, -1 };
    if (pipe2(pipeDescriptors, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = spawn(arguments, {}, pipeDescriptors[1]);
    close(pipeDescriptors[1]);
    fcntl(pipeDescriptors[0], F_SETFL, O_NONBLOCK);

    std::string collected;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    bool ended = false;
    while (!ended) {
        char buffer[4096];
        ssize_t count = 0;
        while ((count = read(pipeDescriptors[0], buffer, sizeof buffer)) > 0)
            collected.append(buffer, std::size_t(count));
        ended = waitpid(pid, &status, WNOHANG) == pid;
        if (!ended && std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ended = true;
        } else if (!ended) {
            std::this_thread::sleep_for(kCommandPollInterval);
        }
    }
    char buffer[4096];
    ssize_t count = 0;
    while ((count = read(pipeDescriptors[0], buffer, sizeof buffer)) > 0)
        collected.append(buffer, std::size_t(count));
    close(pipeDescriptors[0]);
    if (output)
        *output = collected;
    return statusFromWait(status);
}
