#include "wide_text.h"

#include <windows.h>

#include <climits>

std::wstring wideFromUtf8(std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wideText(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wideText.data(), length);
    return wideText;
}

std::string utf8FromWide(std::wstring_view text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}
