#pragma once

#include <string>
#include <string_view>

// The Win32 API's wide strings are UTF-16, as the layout table's texts are;
// the program's other texts are UTF-8.

inline std::wstring_view wide(std::u16string_view text)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    return { reinterpret_cast<const wchar_t*>(text.data()), text.size() };
}

std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
