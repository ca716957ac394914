#pragma once
// Texts kept in golden/ beside a test folder's sources, and what the scripted
// environment showed, as text for them. MARLIN_UPDATE_GOLDEN=1 writes the
// golden files instead of comparing.
#include "TestIsolation.h"

#include "platform/Strings.h"

#include <algorithm>
#include <string>

namespace marlin::test {

inline std::wstring GoldenPath(const std::wstring& name) { return WinePath(MARLIN_TEST_SOURCE_DIR "/golden/") + name; }
inline std::wstring Golden(const wchar_t* name) { return FromUtf8(ReadTextFile(GoldenPath(name))); }

// Compares `actual` with golden/<name>, the folder `scratch` (if any) written as "%SCRATCH%\".
inline void ExpectGolden(const char* name, std::string actual, const std::wstring& scratch = {})
{
    const std::string folder = ToUtf8(scratch);
    for (size_t at = 0; !folder.empty() && (at = actual.find(folder, at)) != std::string::npos;) {
        actual.replace(at, folder.size(), "%SCRATCH%\\");
    }
    const std::wstring path = GoldenPath(FromUtf8(name));
    if (::GetEnvironmentVariableW(L"MARLIN_UPDATE_GOLDEN", nullptr, 0)) WriteTextFile(path, actual);
    EXPECT_EQ(actual, ReadTextFile(path)) << "golden file " << name;
}

// A table kept in golden/<name>, a case a line: "input => answer" ("#": a comment).
// Each input, in order, is answered by `answer`; the file is compared with the lines so answered.
template <typename Answer>
void ExpectGoldenTable(const char* name, Answer answer, const std::wstring& scratch = {})
{
    const std::wstring text = FromUtf8(ReadTextFile(GoldenPath(FromUtf8(name))));
    std::wstring table;
    for (size_t at = 0, end = 0; at < text.size(); at = end + 1) {
        end = std::min(text.find(L'\n', at), text.size());
        const std::wstring line = text.substr(at, end - at - (end > at && text[end - 1] == L'\r' ? 1 : 0));
        const std::wstring input = line.substr(0, line.find(L" => "));
        if (!line.empty()) table += line.starts_with(L"#") ? line + L"\r\n" : input + L" => " + answer(input) + L"\r\n";
    }
    EXPECT_NE(table.find(L" => "), std::wstring::npos) << "no cases in golden file " << name;
    ExpectGolden(name, ToUtf8(table), scratch);
}

// The message boxes shown so far, one "caption | text | flags" line each.
inline std::string MessageBoxes()
{
    std::wstring lines;
    for (const MessageBoxCall& box : ScriptedEnvironment::Instance().messageBoxes) {
        lines += Format(L"%ls | %ls | 0x%x\r\n", box.caption.c_str(), box.text.c_str(), box.flags);
    }
    return ToUtf8(lines);
}

} // namespace marlin::test
