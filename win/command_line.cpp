#include "command_line.h"

#include "form1_layout.h"
#include "pace.h"
#include "wide_text.h"

#include <windows.h>

namespace {

constexpr std::wstring_view kProgramName = L"tuxing";

void say(const std::wstring& text, UINT icon)
{
    MessageBoxW(nullptr, text.c_str(), std::wstring(kProgramName).c_str(), MB_OK | icon);
}

std::wstring helpText()
{
    return L"Usage: tuxing [options]\n\nOptions:\n  --pace <N>\tPaints each picture at N points per second, a whole "
           L"number from "
        + std::to_wstring(kSlowestPace) + L" to " + std::to_wstring(kFastestPace)
        + L", instead of as fast as the machine can.\n  -h, --help\tDisplays this help.\n  -v, --version\tDisplays the "
          L"version.";
}

// An option's name without its one or two dashes, and the value given
// after an equals sign; nothing for an argument that is no option.
struct Option {
    std::wstring name;
    std::optional<std::wstring> value;
};

std::optional<Option> optionIn(const std::wstring& argument)
{
    if (argument.size() < 2 || argument[0] != L'-')
        return std::nullopt;
    std::wstring_view rest(argument);
    rest.remove_prefix(rest.starts_with(L"--") ? 2 : 1);
    const std::size_t equals = rest.find(L'=');
    if (equals == std::wstring_view::npos)
        return Option { std::wstring(rest), std::nullopt };
    return Option { std::wstring(rest.substr(0, equals)), std::wstring(rest.substr(equals + 1)) };
}

} // namespace

std::optional<int> CommandLine::read(std::span<const std::wstring> arguments)
{
    // Asked for anywhere, help and the version are answered whatever else
    // the command line holds.
    const auto asks = [&](std::wstring_view shortName, std::wstring_view longName) {
        for (const std::wstring& argument : arguments) {
            const std::optional<Option> option = optionIn(argument);
            if (option && !option->value && (option->name == shortName || option->name == longName))
                return true;
        }
        return false;
    };
    if (asks(L"h", L"help")) {
        say(helpText(), MB_ICONINFORMATION);
        return 0;
    }
    if (asks(L"v", L"version")) {
        say(std::wstring(kProgramName) + L" " + std::wstring(wide(form1Window().version)), MB_ICONINFORMATION);
        return 0;
    }
    const std::wstring pace = wideFromUtf8(kPaceOption);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::optional<Option> option = optionIn(arguments[i]);
        if (!option)
            return refuse("unexpected argument '" + utf8FromWide(arguments[i]) + "'");
        if (option->name != pace)
            return refuse("Unknown option '" + utf8FromWide(option->name) + "'.");
        std::optional<std::wstring> value = option->value;
        if (!value && i + 1 < arguments.size())
            value = arguments[++i];
        if (!value)
            return refuse("Missing value after '" + utf8FromWide(arguments[i]) + "'.");
        if (!takePace(*value))
            return kUsageError;
    }
    return std::nullopt;
}

bool CommandLine::takePace(const std::wstring& value)
{
    const PaceReading reading = readPace(utf8FromWide(value));
    if (!reading.pointsPerSecond) {
        refuse(reading.refusal);
        return false;
    }
    m_pace = reading.pointsPerSecond;
    return true;
}

int CommandLine::refuse(const std::string& problem) const
{
    say(wideFromUtf8(problem) + L"\n\nTry '" + std::wstring(kProgramName) + L" --help' for more information.",
        MB_ICONERROR);
    return kUsageError;
}
