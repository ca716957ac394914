#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "support/Processes.h"
#include "support/Golden.h"

#include <stdexcept>

using namespace marlin;
using namespace marlin::test;

namespace {

using FilesTest = IsolatedTest;

// Child `lock MODE PATH`: "count" runs 200 read-increment-write cycles of the
// number in PATH under its lock; "abandon" ends holding the lock; "try"
// answers 0 when it gets the lock within a short wait, 3 otherwise; "hang"
// stops in the middle of a save, its temporary file written.
int LockChild(const std::vector<std::wstring>& args)
{
    const std::wstring& mode = args.at(0);
    const std::wstring& path = args.at(1);
    if (mode == L"abandon") return (new CrossProcessLock(path))->held() ? 0 : 1;
    if (mode == L"try") return CrossProcessLock(path, 200).held() ? 0 : 3;
    if (mode == L"hang") {
        return ReplaceFileAtomically(path, [](const std::wstring& temp) {
            return WriteTextFile(temp, "half") && ::SleepEx(INFINITE, FALSE);
        });
    }
    for (int i = 0; i < 200; ++i) {
        CrossProcessLock lock(path);
        const int value = ParseInt(FromUtf8(ReadTextFile(path)));
        if (!lock.held() || !WriteTextFile(path, std::to_string(value + 1))) return 1;
    }
    return 0;
}
const ChildRegistration kLockChild(L"lock", &LockChild);

void* StartLockChild(const wchar_t* mode, const std::wstring& path)
{
    return StartChild(CurrentProgram(), L"lock", std::wstring(mode) + L" \"" + path + L"\"");
}

TEST_F(FilesTest, ReplaceFileAtomicallyKeepsTheOldFileUnlessTheWriterSucceeds)
{
    const std::wstring path = scratch() + L"doc.xml";
    ASSERT_TRUE(WriteTextFile(path, "old"));

    const std::function<bool(const std::wstring&)> failingWriters[] = {
        [](const std::wstring& temp) { return WriteTextFile(temp, "half") && false; },
        [](const std::wstring& temp) -> bool { WriteTextFile(temp, "half"); throw std::runtime_error("disk full"); },
        [](const std::wstring&) { return true; }, // claims success but wrote nothing
    };
    for (const auto& writer : failingWriters) {
        EXPECT_FALSE(ReplaceFileAtomically(path, writer));
        EXPECT_EQ(ReadTextFile(path), "old");
        EXPECT_EQ(FilesIn(scratch()), std::vector<std::wstring>{L"doc.xml"});
    }

    std::wstring tempSeen;
    EXPECT_TRUE(ReplaceFileAtomically(path, [&](const std::wstring& temp) {
        tempSeen = temp;
        return WriteTextFile(temp, "new");
    }));
    EXPECT_EQ(ReadTextFile(path), "new");
    EXPECT_EQ(FolderOf(tempSeen), scratch());
    EXPECT_EQ(FilesIn(scratch()), std::vector<std::wstring>{L"doc.xml"});
}

TEST_F(FilesTest, ReadIniStringIsCutToMaxChars)
{
    const std::wstring path = scratch() + L"settings.ini";
    ASSERT_TRUE(WriteIniString(path, L"Main", L"Name", L"Marlin Toolbar"));
    ASSERT_TRUE(WriteIniString(path, L"Main", L"Long", std::wstring(300, L'x')));
    EXPECT_EQ(ReadIniString(path, L"Main", L"Name", 6), L"Marlin");
    EXPECT_EQ(ReadIniString(path, L"Main", L"Long"), std::wstring(255, L'x'));
    EXPECT_EQ(ReadIniString(scratch() + L"none.ini", L"Main", L"Name"), L"");
}

TEST_F(FilesTest, CrossProcessLockSerialisesTwoProcesses)
{
    const std::wstring path = scratch() + L"counter.txt";
    ASSERT_TRUE(WriteTextFile(path, "0"));
    void* first = StartLockChild(L"count", path);
    void* second = StartLockChild(L"count", path);
    EXPECT_EQ(WaitChild(first), 0);
    EXPECT_EQ(WaitChild(second), 0);
    EXPECT_EQ(ReadTextFile(path), "400");
}

TEST_F(FilesTest, CrossProcessLockExcludesOtherSpellingsAndSurvivesAnAbandonedOwner)
{
    const std::wstring path = scratch() + L"doc.xml";
    const std::wstring otherSpelling = ReplaceAll(ToLowerAscii(path), L"\\", L"/");
    {
        CrossProcessLock lock(path);
        ASSERT_TRUE(lock.held());
        EXPECT_EQ(WaitChild(StartLockChild(L"try", otherSpelling)), 3);
    }
    EXPECT_EQ(WaitChild(StartLockChild(L"try", otherSpelling)), 0);

    // The owner ends while holding the lock: the next one takes it over. The
    // mutex is kept alive meanwhile, as a process waiting for it would.
    unique_handle waiting(::CreateMutexW(nullptr, FALSE, CrossProcessLock::MutexNameFor(path).c_str()));
    ASSERT_TRUE(waiting);
    ASSERT_EQ(WaitChild(StartLockChild(L"abandon", path)), 0);
    CrossProcessLock lock(path, 5000);
    EXPECT_TRUE(lock.held());
}

TEST_F(FilesTest, TemporaryFilesOfKilledSavesGoThoseOfLiveSavesStay)
{
    const std::wstring path = scratch() + L"doc.xml";
    unique_handle killed(StartLockChild(L"hang", path));
    unique_handle live(StartLockChild(L"hang", path));
    for (int i = 0; i < 1500 && FilesIn(scratch()).size() < 2; ++i) ::Sleep(20);
    ::TerminateProcess(killed.get(), 1);
    ::WaitForSingleObject(killed.get(), INFINITE);

    EXPECT_TRUE(ReplaceFileAtomically(path, [](const std::wstring& temp) { return WriteTextFile(temp, "new"); }));
    const auto files = FilesIn(scratch());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE((files[0] + files[1]).find(Format(L".tmp-%lu-", ::GetProcessId(live.get()))) != std::wstring::npos);
    ::TerminateProcess(live.get(), 1);
    ::WaitForSingleObject(live.get(), INFINITE);
}

const std::wstring kTestKey = L"Software\\MarlinTest";

class RegistryTest : public IsolatedTest {
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

    // A read a line: the value's name and the most characters wanted => what is read.
    ExpectGoldenTable("registry-strings.txt", [&](const std::wstring& read) {
        const size_t space = read.find(L' ');
        const auto value = ReadRegistryString(m_key.get(), read.substr(0, space).c_str(), ParseInt(read.substr(space)));
        return value ? L"\"" + *value + L"\"" : L"nothing";
    });
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

} // namespace
