#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

#include <cstdint>
#include <optional>

// The program's own options: --pace, --help and --version. They are read
// before Qt looks for a display, so that none of them needs one. Qt's own
// options are unknown to them then; QApplication takes those out of the
// arguments, and what is left is read once more, when anything unknown is
// refused.
class CommandLine {
public:
    // What a command line that cannot be followed ends the program with.
    static constexpr int kUsageError = 2;

    CommandLine();

    // Nothing while the program goes on; else the status it ends with, once
    // it has said why or given the help or version asked for.
    std::optional<int> readBeforeQt(const QStringList& arguments);
    std::optional<int> readAfterQt(const QStringList& arguments);

    // Points per second; nothing for as fast as the machine paints.
    std::optional<std::int64_t> pace() const { return m_pace; }

private:
    int refuse(const QString& problem) const;

    QCommandLineParser m_parser;
    QCommandLineOption m_paceOption;
    QCommandLineOption m_helpOption;
    QCommandLineOption m_versionOption;
    std::optional<std::int64_t> m_pace;
};
