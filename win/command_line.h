#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The program's options, as on Linux: --pace=N (or --pace N), --help and
// --version, each also with a single dash. A program without a console
// answers them in a message box.
class CommandLine {
public:
    // What a command line that cannot be followed ends the program with.
    static constexpr int kUsageError = 2;

    // The arguments after the program's name. Nothing while the program
    // goes on; else the status it ends with, once it has said why or shown
    // the help or version asked for.
    std::optional<int> read(std::span<const std::wstring> arguments);

    // Points per second; nothing for as fast as the machine paints.
    std::optional<std::int64_t> pace() const { return m_pace; }

private:
    // False, once it has said why, when the value is no pace.
    bool takePace(const std::wstring& value);
    int refuse(const std::string& problem) const;

    std::optional<std::int64_t> m_pace;
};
