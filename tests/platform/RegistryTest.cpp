#include "platform/Registry.h"
#include "platform/Strings.h"
#include "support/TestIsolation.h"

using namespace marlin;

namespace {

const std::wstring kTestKey = L"Software\\MarlinTest";

class RegistryTest : public test::IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        m_key = CreateRegistryKey(HKEY_CURRENT_USER, kTestKey, KEY_ALL_ACCESS);
        ASSERT_TRUE(m_key);
    }

    // Stores exactly `bytes` bytes of `data`, as a careless writer might.
    void Store(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        ASSERT_EQ(::RegSetValueExW(m_key.get(), name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    }

    unique_hkey m_key;
};

} // namespace

TEST_F(RegistryTest, ReadStringAcceptsOnlyStringTypesAndIsBounded)
{
    const wchar_t text[] = L"abcd";
    const wchar_t expand[] = L"%WINDIR%\\x";
    const wchar_t embedded[] = L"ab\0cd";
    const DWORD number = 7;
    Store(L"sz", REG_SZ, text, sizeof(text));
    Store(L"expand", REG_EXPAND_SZ, expand, sizeof(expand));
    Store(L"dword", REG_DWORD, &number, sizeof(number));
    Store(L"unterminated", REG_SZ, text, 4 * sizeof(wchar_t));
    Store(L"odd", REG_SZ, text, 7);
    Store(L"empty", REG_SZ, text, 0);
    Store(L"embedded", REG_SZ, embedded, sizeof(embedded));

    struct Case {
        const wchar_t* name;
        size_t maxChars;
        std::optional<std::wstring> expected;
    };
    const Case cases[] = {
        {L"sz", 100, L"abcd"},          {L"sz", 4, L"abcd"},         {L"sz", 3, L"abc"},
        {L"sz", 0, std::nullopt},       {L"expand", 100, L"%WINDIR%\\x"},
        {L"dword", 100, std::nullopt},  {L"missing", 100, std::nullopt},
        {L"unterminated", 100, L"abcd"}, {L"odd", 100, L"abc"},      {L"empty", 100, L""},
        {L"embedded", 100, L"ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << ToUtf8(c.name) << ", max " << c.maxChars);
        EXPECT_EQ(ReadRegistryString(m_key.get(), c.name, c.maxChars), c.expected);
    }
}

TEST_F(RegistryTest, DeleteTreeRemovesSubkeysAndAcceptsAMissingKey)
{
    const std::wstring tree = kTestKey + L"\\Tree";
    WriteRegistryString(CreateRegistryKey(HKEY_CURRENT_USER, tree + L"\\A\\B", KEY_ALL_ACCESS).get(), L"v", L"1");
    WriteRegistryString(OpenRegistryKey(HKEY_CURRENT_USER, tree, KEY_ALL_ACCESS).get(), L"v", L"2");
    CreateRegistryKey(HKEY_CURRENT_USER, tree + L"\\C", KEY_ALL_ACCESS);

    EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, tree));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, tree));
    EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, tree));
    EXPECT_TRUE(DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey + L"\\Never\\There"));

    // An empty path would name the root itself: refused, nothing deleted.
    EXPECT_FALSE(DeleteRegistryTree(HKEY_CURRENT_USER, L""));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kTestKey));
}
