#include "platform/UniqueHandle.h"
#include "platform/Window.h"
#include "support/TestIsolation.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using namespace marlin;

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kPassOn = WM_APP + 2;

class Recorder : public Window<Recorder> {
public:
    static constexpr const wchar_t* kClassName = L"MarlinTestRecorder";

    LRESULT OnCreate(WPARAM, LPARAM, bool&) { return refuseCreation ? -1 : 0; }
    LRESULT OnPing(WPARAM wParam, LPARAM, bool&) { return Record(kPing, static_cast<LRESULT>(wParam) * 2); }
    LRESULT OnDecline(WPARAM, LPARAM, bool& handled) { handled = false; return 1; }
    LRESULT OnPassedOn(WPARAM, LPARAM, bool&) { return Record(kPassOn, 2); }
    LRESULT OnSetText(WPARAM, LPARAM, bool&) { throw std::runtime_error("handler failed"); }
    LRESULT OnDestroy(WPARAM, LPARAM, bool&) { return Record(WM_DESTROY, 0); }
    void OnFinalMessage() noexcept { ++finalMessages; }

    static constexpr MessageEntry<Recorder> kMessageMap[] = {
        {WM_CREATE, &Recorder::OnCreate},   {kPing, &Recorder::OnPing},
        {kPassOn, &Recorder::OnDecline},    {kPassOn, &Recorder::OnPassedOn},
        {WM_SETTEXT, &Recorder::OnSetText}, {WM_DESTROY, &Recorder::OnDestroy},
    };

    bool refuseCreation = false;
    std::vector<UINT> messages;
    int finalMessages = 0;
    // Outlives the object: shows whether a handler ran after it was gone.
    std::vector<UINT>* journal = nullptr;

private:
    LRESULT Record(UINT message, LRESULT result)
    {
        messages.push_back(message);
        if (journal) journal->push_back(message);
        return result;
    }
};

std::vector<std::wstring> g_reportedPlaces;
void RecordFailure(const wchar_t* place) noexcept { g_reportedPlaces.emplace_back(place ? place : L""); }

using WindowTest = test::IsolatedTest;
constexpr RECT kRect{0, 0, 200, 100};

} // namespace

TEST_F(WindowTest, TableHandlersReceiveTheirMessagesAndFailuresStayInside)
{
    SetFailureReporter(&RecordFailure);
    ScopeExit noReporter([] { SetFailureReporter(nullptr); });
    Recorder window;
    ASSERT_TRUE(window.Create(nullptr, kRect, L"before", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(::SendMessageW(window.hwnd(), kPing, 21, 0), 42);
    // A handler that declines passes the message on to the next entry.
    EXPECT_EQ(::SendMessageW(window.hwnd(), kPassOn, 0, 0), 2);
    EXPECT_EQ(window.messages, (std::vector<UINT>{kPing, kPassOn}));

    // The throwing handler is reported, and the message still gets its default.
    EXPECT_TRUE(::SetWindowTextW(window.hwnd(), L"after"));
    wchar_t title[32] = {};
    ::GetWindowTextW(window.hwnd(), title, 32);
    EXPECT_STREQ(title, L"after");
    EXPECT_EQ(g_reportedPlaces, std::vector<std::wstring>{Recorder::kClassName});

    // The class stays registered; a second window of it works on its own object.
    WNDCLASSEXW info{sizeof(info)};
    EXPECT_TRUE(::GetClassInfoExW(ModuleInstance(), Recorder::kClassName, &info));
    Recorder second;
    ASSERT_TRUE(second.Create(nullptr, kRect, L"second", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(::SendMessageW(second.hwnd(), kPing, 1, 0), 2);
    EXPECT_EQ(second.messages.size(), 1u);
    EXPECT_EQ(window.messages.size(), 2u);
}

TEST_F(WindowTest, DestroyedWindowsSendNothingMore)
{
    Recorder window;
    ASSERT_TRUE(window.Create(nullptr, kRect, L"", WS_OVERLAPPEDWINDOW));
    HWND hwnd = window.hwnd();
    window.Destroy();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(window.hwnd(), nullptr);
    EXPECT_EQ(window.messages, std::vector<UINT>{WM_DESTROY}) << "Destroy runs the object's own handlers";
    EXPECT_EQ(window.finalMessages, 1);

    // The object goes while its window lives: the window goes too, and no
    // handler runs on what is left of the object.
    std::vector<UINT> journal;
    auto doomed = std::make_unique<Recorder>();
    ASSERT_TRUE(doomed->Create(nullptr, kRect, L"", WS_OVERLAPPEDWINDOW));
    doomed->journal = &journal;
    hwnd = doomed->hwnd();
    doomed.reset();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(journal.empty());

    // Destroyed from outside: the object sees WM_DESTROY, then lets go of the handle.
    Recorder other;
    ASSERT_TRUE(other.Create(nullptr, kRect, L"", WS_OVERLAPPEDWINDOW));
    ASSERT_TRUE(::DestroyWindow(other.hwnd()));
    EXPECT_EQ(other.messages, std::vector<UINT>{WM_DESTROY});
    EXPECT_EQ(other.finalMessages, 1);
    EXPECT_EQ(other.hwnd(), nullptr);

    // Creation refused in WM_CREATE: no window, and no handle left behind.
    Recorder refused;
    refused.refuseCreation = true;
    EXPECT_EQ(refused.Create(nullptr, kRect, L"", WS_OVERLAPPEDWINDOW), nullptr);
    EXPECT_EQ(refused.hwnd(), nullptr);
}
