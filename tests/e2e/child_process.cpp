#include "child_process.h"

#include <csignal>
#include <fstream>
#include <sys/prctl.h>
#include <sys/syscall.h>

namespace {

void prepare(QProcess& process, const std::vector<std::string>& arguments)
{
    process.setProgram(QString::fromStdString(arguments.front()));
    QStringList rest;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        rest << QString::fromStdString(arguments[i]);
    process.setArguments(rest);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

ExitStatus statusOf(const QProcess& process)
{
    if (process.error() == QProcess::FailedToStart)
        return { true, 127 };
    return { process.exitStatus() == QProcess::NormalExit, process.exitCode() };
}

} // namespace

std::string ExitStatus::describe() const
{
    return exited ? "exited with code " + std::to_string(code) : std::string("crashed");
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnvironment,
    const std::filesystem::path& logPath)
{
    prepare(m_process, arguments);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const std::string& entry : extraEnvironment) {
        const QString text = QString::fromStdString(entry);
        environment.insert(text.section(u'=', 0, 0), text.section(u'=', 1));
    }
    m_process.setProcessEnvironment(environment);
    m_process.setStandardOutputFile(QString::fromStdString(logPath.string()));
    m_process.start();
    m_process.waitForStarted();
    m_pid = m_process.processId();
}

ChildProcess::~ChildProcess()
{
    if (!isRunning())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(-1);
    }
}

bool ChildProcess::isIdle() const
{
    // The main thread's system call, then its arguments: the descriptors,
    // their count and the timeout in milliseconds, -1 for none.
    constexpr int kFarOff = 1000;
    std::ifstream file("/proc/" + std::to_string(m_pid) + "/syscall");
    long call = -1;
    std::string descriptors, count, timeout;
    file >> call >> descriptors >> count >> timeout;
    if (call != SYS_poll)
        return false;
    const int milliseconds = int(std::uint32_t(std::stoul(timeout, nullptr, 16)));
    return milliseconds < 0 || milliseconds >= kFarOff;
}

bool ChildProcess::isRunning() { return m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(0); }

std::optional<ExitStatus> ChildProcess::waitForExit(std::chrono::milliseconds timeout)
{
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(int(timeout.count())))
        return std::nullopt;
    return statusOf(m_process);
}

ExitStatus runCommand(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout, std::string* output)
{
    QProcess process;
    prepare(process, arguments);
    process.start();
    if (!process.waitForFinished(int(timeout.count()))) {
        process.kill();
        process.waitForFinished(-1);
    }
    if (output)
        *output = process.readAll().toStdString();
    return statusOf(process);
}
