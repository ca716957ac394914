#include "FolderListing.h"

#include "platform/Files.h"
#include "platform/Strings.h"
#include "support/Processes.h"
#include "support/TestIsolation.h"

#include <stdexcept>

using namespace marlin;

namespace {

class FilesTest : public test::IsolatedTest {};

// Child: `count PATH` runs 200 read-increment-write cycles of the number in PATH
// under the file's lock.
int CountUnderLock(const std::vector<std::wstring>& args)
{
    for (int i = 0; i < 200; ++i) {
        CrossProcessLock lock(args.at(0));
        if (!lock.held()) return 1;
        int value = ParseInt(FromUtf8(ReadFileBytes(args.at(0), 64).value_or("")));
        if (!test::WriteTextFile(args.at(0), std::to_string(value + 1))) return 2;
    }
    return 0;
}

// Child: `abandon PATH` takes the lock and ends without releasing it.
int AbandonLock(const std::vector<std::wstring>& args)
{
    auto* lock = new CrossProcessLock(args.at(0));
    return lock->held() ? 0 : 1;
}

// Child: `try PATH` answers 0 when it gets the lock within a short wait, 3 otherwise.
int TryLock(const std::vector<std::wstring>& args)
{
    CrossProcessLock lock(args.at(0), 200);
    return lock.held() ? 0 : 3;
}

// Child: `save-and-hang PATH` stops in the middle of a save, its temporary file written.
int SaveAndHang(const std::vector<std::wstring>& args)
{
    return ReplaceFileAtomically(args.at(0), [](const std::wstring& temp) {
        return test::WriteTextFile(temp, "half") && ::SleepEx(INFINITE, FALSE);
    });
}

const test::ChildRegistration kCount(L"count", &CountUnderLock);
const test::ChildRegistration kHang(L"save-and-hang", &SaveAndHang);
const test::ChildRegistration kAbandon(L"abandon", &AbandonLock);
const test::ChildRegistration kTry(L"try", &TryLock);

int RunChild(const wchar_t* name, const std::wstring& path)
{
    return test::WaitChild(test::StartChild(test::CurrentProgram(), name, L"\"" + path + L"\""));
}

} // namespace

TEST_F(FilesTest, ReplaceFileAtomicallyKeepsTheOldFileUnlessTheWriterSucceeds)
{
    const std::wstring path = scratch() + L"doc.xml";
    ASSERT_TRUE(test::WriteTextFile(path, "old"));

    using Writer = std::function<bool(const std::wstring& temp)>;
    const std::vector<Writer> failingWriters = {
        [](const std::wstring& temp) {
            test::WriteTextFile(temp, "half");
            return false;
        },
        [](const std::wstring& temp) -> bool {
            test::WriteTextFile(temp, "half");
            throw std::runtime_error("disk full");
        },
        [](const std::wstring&) { return true; }, // claims success but wrote nothing
    };
    for (const Writer& writer : failingWriters) {
        EXPECT_FALSE(ReplaceFileAtomically(path, writer));
        EXPECT_EQ(test::ReadTextFile(path), "old");
        EXPECT_EQ(test::FilesIn(scratch()), std::vector<std::wstring>{L"doc.xml"});
    }

    std::wstring tempSeen;
    EXPECT_TRUE(ReplaceFileAtomically(path, [&](const std::wstring& temp) {
        tempSeen = temp;
        return test::WriteTextFile(temp, "new");
    }));
    EXPECT_EQ(test::ReadTextFile(path), "new");
    EXPECT_EQ(FolderOf(tempSeen), scratch());
    EXPECT_EQ(test::FilesIn(scratch()), std::vector<std::wstring>{L"doc.xml"});
}

TEST_F(FilesTest, ReadIniStringIsCutToMaxChars)
{
    const std::wstring path = scratch() + L"settings.ini";
    ASSERT_TRUE(WriteIniString(path, L"Main", L"Name", L"Marlin Toolbar"));
    ASSERT_TRUE(WriteIniString(path, L"Main", L"Long", std::wstring(300, L'x')));

    EXPECT_EQ(ReadIniString(path, L"Main", L"Name"), L"Marlin Toolbar");
    EXPECT_EQ(ReadIniString(path, L"Main", L"Name", 6), L"Marlin");
    EXPECT_EQ(ReadIniString(path, L"Main", L"Long"), std::wstring(255, L'x'));
    EXPECT_EQ(ReadIniString(path, L"Main", L"Missing"), L"");
    EXPECT_EQ(ReadIniString(scratch() + L"none.ini", L"Main", L"Name"), L"");
}

TEST_F(FilesTest, CrossProcessLockSerialisesTwoProcesses)
{
    const std::wstring path = scratch() + L"counter.txt";
    ASSERT_TRUE(test::WriteTextFile(path, "0"));
    const std::wstring quoted = L"\"" + path + L"\"";
    void* first = test::StartChild(test::CurrentProgram(), L"count", quoted);
    void* second = test::StartChild(test::CurrentProgram(), L"count", quoted);
    EXPECT_EQ(test::WaitChild(first), 0);
    EXPECT_EQ(test::WaitChild(second), 0);
    EXPECT_EQ(test::ReadTextFile(path), "400");
}

TEST_F(FilesTest, CrossProcessLockExcludesOtherSpellingsAndSurvivesAnAbandonedOwner)
{
    const std::wstring path = scratch() + L"doc.xml";
    std::wstring otherSpelling = ToLowerAscii(path);
    for (auto& c : otherSpelling) {
        if (c == L'\\') c = L'/';
    }
    {
        CrossProcessLock lock(path);
        ASSERT_TRUE(lock.held());
        EXPECT_EQ(RunChild(L"try", otherSpelling), 3);
    }
    EXPECT_EQ(RunChild(L"try", otherSpelling), 0);

    // The owner ends while holding the lock: the next one takes it over. The
    // mutex is kept alive meanwhile, as a process waiting for it would.
    unique_handle waiting(::CreateMutexW(nullptr, FALSE, CrossProcessLock::MutexNameFor(path).c_str()));
    ASSERT_TRUE(waiting);
    ASSERT_EQ(RunChild(L"abandon", path), 0);
    CrossProcessLock lock(path, 5000);
    EXPECT_TRUE(lock.held());
}

TEST_F(FilesTest, TemporaryFilesOfKilledSavesGoThoseOfLiveSavesStay)
{
    const std::wstring path = scratch() + L"doc.xml";
    unique_handle killed(test::StartChild(test::CurrentProgram(), L"save-and-hang", L"\"" + path + L"\""));
    unique_handle live(test::StartChild(test::CurrentProgram(), L"save-and-hang", L"\"" + path + L"\""));
    for (int i = 0; i < 1500 && test::FilesIn(scratch()).size() < 2; ++i) ::Sleep(20);
    ::TerminateProcess(killed.get(), 1);
    ::WaitForSingleObject(killed.get(), INFINITE);

    EXPECT_TRUE(ReplaceFileAtomically(path, [](const std::wstring& temp) { return test::WriteTextFile(temp, "new"); }));
    const auto files = test::FilesIn(scratch());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_TRUE((files[0] + files[1]).find(Format(L".tmp-%lu-", ::GetProcessId(live.get()))) != std::wstring::npos);
    ::TerminateProcess(live.get(), 1);
    ::WaitForSingleObject(live.get(), INFINITE);
}
