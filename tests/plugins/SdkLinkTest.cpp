#include "PluginsFixture.h"

#include "support/PluginSdks.h"

#include "plugins/SdkCall.h"

namespace marlin::test {
namespace {

class SdkLinkTest : public PluginsFixture {
protected:
    void SetUp() override
    {
        PluginsFixture::SetUp();
        SetPluginSdkFactory(&FakeSdk::Factory);
        FakeSdk::contexts.clear();
    }
    void TearDown() override
    {
        FakeSdk::made.Reset();
        SetPluginSdkFactory(nullptr);
        PluginsFixture::TearDown();
    }
};

// Each line scripts the SDK's answers and starts the link twice, as two
// browser windows would: what was called, whether it is ready, what was shown.
TEST_F(SdkLinkTest, StartingAsksKeyAuthenticatesAndStartsShowingEachFailureOncePerProcess)
{
    ExpectGoldenTable("sdk-start.txt", [&](const std::wstring& input) {
        ResetPluginSdkState();
        SetPluginSdkFactory(&FakeSdk::Factory);
        ComPtr<FakeSdk>& sdk = FakeSdk::made = input.starts_with(L"none") ? nullptr : FakeSdk::Make();
        std::wstring answer;
        for (int window = 0; window < 2; ++window) {
            if (sdk) {
                sdk->keyResult = input.find(L"key") != std::wstring::npos ? E_FAIL : S_OK;
                sdk->authResult = input.find(L"auth") != std::wstring::npos ? S_FALSE : S_OK;
                sdk->startResult = input.find(L"start") != std::wstring::npos ? E_UNEXPECTED : S_OK;
                sdk->text = input.find(L"null") != std::wstring::npos ? nullptr : L"K1";
            }
            const bool ready = PluginSdkLink::InitializeMarlinToolbarPluginSDK();
            answer += Format(L"%ls ready=%d ", sdk ? sdk->Calls().c_str() : L"", ready);
        }
        answer += L"contexts " + std::exchange(FakeSdk::contexts, L"") + ReplaceAll(FromUtf8(MessageBoxes()), L"\r\n", L"; ");
        env().messageBoxes.clear();
        return answer;
    });
    ExpectGolden("sdk-start-log.xml", ReadTextFile(errorLog));
}

// The calls the product makes on a link: arguments as given, answers taken
// only on S_OK, null strings as empty text, oversized answers refused.
TEST_F(SdkLinkTest, QueriesPassTheirArgumentsAndTakeOnlySuccessfulAnswers)
{
    ExpectGoldenTable("sdk-queries.txt", [&](const std::wstring& input) {
        ComPtr<FakeSdk>& sdk = FakeSdk::made = FakeSdk::Make();
        sdk->queryResult = input.find(L"fails") != std::wstring::npos ? S_FALSE : S_OK;
        const std::wstring huge(kMaxSdkTextChars + 1, L'x');
        sdk->text = input.find(L"null") != std::wstring::npos   ? nullptr
                        : input.find(L"huge") != std::wstring::npos ? huge.c_str()
                                                                    : L"<U><E>1,2</E></U>";
        const PluginSdkLink link = PluginSdkLink::CreateForToolbar();
        std::wstring answer;
        if (const auto updates = link.GetPluginUpdates(3)) answer += L"updates{" + *updates + L"} ";
        if (const auto query = link.QueryPlugin(kQueryPluginIcon, 0, 2, L"C:\\P\\1\\E.dll")) {
            answer += Format(L"query{%ls,%ls,%ld} ", query->text1.c_str(), query->text2.c_str(), query->value);
        }
        answer += Format(L"changed=%d ", link.QueryDataChanged());
        return sdk->Calls() + L"-> " + answer + L"contexts " + std::exchange(FakeSdk::contexts, L"");
    });
}

// Each use meets an SDK that hangs: it goes on without the answer after the
// bound, the next use in the process does not make an SDK object at all, and
// the left call's thread ends and releases its object once the SDK answers.
TEST_F(SdkLinkTest, AnSdkThatHangsIsLeftBehindOnceThenSkipped)
{
    using Paths = std::vector<std::wstring>;
    const Paths libraries{L"C:\\P\\1\\E.dll"};
    const struct {
        DWORD context;
        bool (*use)(const Paths&);
    } uses[] = {
        {CLSCTX_INPROC_SERVER, [](const Paths&) { return PluginSdkLink::InitializeMarlinToolbarPluginSDK(); }},
        {CLSCTX_ALL, [](const Paths& paths) { return QueryToolbarPictures(paths, 2).at(0).icon.get() != nullptr; }},
        {CLSCTX_ALL, [](const Paths&) { return QueryToolbarDataChanged(); }},
    };
    for (const auto& [context, use] : uses) {
        ResetPluginSdkState();
        SetPluginSdkFactory(&FakeSdk::Factory);
        SetSdkCallTimeout(200);
        const unique_handle gate(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const unique_handle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        const unique_handle gone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        {
            ComPtr<FakeSdk> sdk = FakeSdk::Make();
            sdk->gate = gate.get();
            sdk->entered = entered.get();
            sdk->gone = gone.get();
            sdk->value = 1;
            FakeSdk::made = sdk;
            EXPECT_FALSE(use(libraries)) << context;
            EXPECT_FALSE(use(libraries)) << context;
            ASSERT_EQ(::WaitForSingleObject(entered.get(), 10000), WAIT_OBJECT_0) << "the first call reached the SDK";
            FakeSdk::made.Reset();
        }
        ::SetEvent(gate.get());
        EXPECT_EQ(::WaitForSingleObject(gone.get(), 10000), WAIT_OBJECT_0) << "the left thread released its object";
        EXPECT_EQ(std::exchange(FakeSdk::contexts, L""), Format(L"%lu ", context)) << "one object made";
    }
    EXPECT_TRUE(MessageBoxes().empty());
    const std::string log = ReadTextFile(errorLog);
    size_t logged = 0;
    for (size_t at = log.find("did not answer in time"); at != std::string::npos; at = log.find("did not answer", at + 1)) {
        ++logged;
    }
    EXPECT_EQ(logged, std::size(uses)) << log;
}

} // namespace
} // namespace marlin::test
