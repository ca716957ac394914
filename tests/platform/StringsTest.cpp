#include "platform/Strings.h"

#include "support/Golden.h"

#include "platform/Win32.h"

#include <shellapi.h>

using namespace marlin;

TEST(Strings, TrimCaseAndReplace)
{
    EXPECT_EQ(Trim(L" \t a b \r\n"), L"a b");
    EXPECT_EQ(Trim(L"   "), L"");
    EXPECT_TRUE(EqualsNoCase(L"ExPlorer.EXE", L"explorer.exe"));
    EXPECT_FALSE(EqualsNoCase(L"explorer.ex", L"explorer.exe"));
    EXPECT_TRUE(ContainsNoCase(L"C:\\Windows\\EXPLORER.EXE", L"explorer.exe"));
    EXPECT_EQ(ReplaceAll(L"a&b&&c", L"&", L"&&"), L"a&&b&&&&c");
    EXPECT_EQ(ReplaceAll(L"aaa", L"aa", L"b"), L"ba");
    EXPECT_EQ(Format(L"%d/%d-%ls", 3, 5, L"x"), L"3/5-x");
}

TEST(Strings, ParseIntReadsLikeTheRuntime)
{
    test::ExpectGoldenTable("parse-int.txt", [](const std::wstring& text) { return std::to_wstring(ParseInt(text.substr(1))); });
}

TEST(Strings, AQuotedArgumentReadsBackAsOneArgument)
{
    for (const wchar_t* text : {L"http://a.example/", L"http://a.example/two words?q=\"x\"", L"C:\\dir\\", L"a\\\\\"b",
                                L"", L"\\\"", L"trailing\\\\"}) {
        const std::wstring line = L"iexplore.exe " + QuoteCommandLineArgument(text);
        int count = 0;
        LPWSTR* arguments = ::CommandLineToArgvW(line.c_str(), &count);
        ASSERT_TRUE(arguments);
        EXPECT_EQ(count, 2) << line;
        if (count == 2) {
            EXPECT_EQ(std::wstring(arguments[1]), text) << line;
        }
        ::LocalFree(arguments);
    }
}
