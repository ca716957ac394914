#include "platform/Strings.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(ParseInt(L"  42abc"), 42);
    EXPECT_EQ(ParseInt(L"-7"), -7);
    EXPECT_EQ(ParseInt(L""), 0);
    EXPECT_EQ(ParseInt(L"x1"), 0);
    EXPECT_EQ(ParseInt(L"99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseInt(L"-99999999999999999999"), -2147483647 - 1);
}
