#include "command_line.h"
#include "form1.h"

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> arguments()
{
    int count = 0;
    wchar_t** given = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i)
        arguments.emplace_back(given[i]);
    LocalFree(given);
    return arguments;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    CommandLine commandLine;
    if (const std::optional<int> status = commandLine.read(arguments()))
        return *status;
    Form1 form(instance);
    if (!form.window()) {
        MessageBoxW(nullptr, L"The window could not be made.", L"tuxing", MB_OK | MB_ICONERROR);
        return 1;
    }
    if (const std::optional<std::int64_t> pace = commandLine.pace())
        form.setPace(*pace);
    form.show(show);
    return form.exec();
}
