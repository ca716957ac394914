#include "PluginsFixture.h"

#include "plugins/PluginSdk.h"

namespace marlin::test {
namespace {

// An SDK whose answers the test scripts; it writes every call to a transcript.
class FakeSdk final : public ComObject<FakeSdk, IPluginSdk> {
public:
    HRESULT keyResult = S_OK, authResult = S_OK, startResult = S_OK, queryResult = S_OK;
    const wchar_t* answer = L"answer"; // every out string; null: none
    LONG value = 7;
    std::wstring calls;

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }

    STDMETHODIMP GetPartnerKey(BSTR* key) override { return Answer(L"GetPartnerKey()", key, keyResult); }
    STDMETHODIMP AuthenticateUser(BSTR key, BSTR user, BSTR password, BSTR* out) override
    {
        return Answer(Format(L"AuthenticateUser(%ls,%ls,%ls)", key, user, password), out, authResult);
    }
    STDMETHODIMP StartSdk(BSTR key, BSTR user, BSTR* out) override
    {
        return Answer(Format(L"StartSdk(%ls,%ls)", key, user), out, startResult);
    }
    STDMETHODIMP QueryPlugin(LONG kind, LONG number, LONG toolbar, BSTR path, BSTR* text1, BSTR* text2,
                             LONG* out) override
    {
        *out = value;
        Answer(L"", text1, S_OK);
        return Answer(Format(L"QueryPlugin(%ld,%ld,%ld,%ls)", kind, number, toolbar, path), text2, queryResult);
    }
    STDMETHODIMP GetPluginUpdates(BSTR id, BSTR* out) override
    {
        return Answer(Format(L"GetPluginUpdates(%ls)", id), out, queryResult);
    }
    STDMETHODIMP QueryDataChanged(LONG* changed) override
    {
        *changed = value;
        return Answer(L"QueryDataChanged()", nullptr, queryResult);
    }
#define UNUSED_SLOT(n) \
    STDMETHODIMP Reserved##n() override { return E_NOTIMPL; }
    UNUSED_SLOT(3) UNUSED_SLOT(5) UNUSED_SLOT(6) UNUSED_SLOT(7) UNUSED_SLOT(8) UNUSED_SLOT(9) UNUSED_SLOT(10)
    UNUSED_SLOT(11) UNUSED_SLOT(12) UNUSED_SLOT(14) UNUSED_SLOT(15) UNUSED_SLOT(16) UNUSED_SLOT(18)
#undef UNUSED_SLOT

private:
    HRESULT Answer(const std::wstring& call, BSTR* out, HRESULT result)
    {
        if (!call.empty()) calls += call + L" ";
        if (out) *out = answer ? ::SysAllocString(answer) : nullptr;
        return result;
    }
};

ComPtr<FakeSdk> g_sdk;
std::wstring g_contexts;

HRESULT MakeFake(DWORD context, IPluginSdk** sdk)
{
    g_contexts += Format(L"%lu ", context);
    if (!g_sdk) return REGDB_E_CLASSNOTREG;
    *sdk = g_sdk.Get();
    (*sdk)->AddRef();
    return S_OK;
}

class SdkLinkTest : public PluginsFixture {
protected:
    void SetUp() override
    {
        PluginsFixture::SetUp();
        SetPluginSdkFactory(&MakeFake);
        g_contexts.clear();
    }
    void TearDown() override
    {
        g_sdk.Reset();
        PluginsFixture::TearDown();
    }
};

// Each line scripts the SDK's answers and starts the link twice, as two
// browser windows would: what was called, whether it is ready, what was shown.
TEST_F(SdkLinkTest, StartingAsksKeyAuthenticatesAndStartsShowingEachFailureOncePerProcess)
{
    ExpectGoldenTable("sdk-start.txt", [&](const std::wstring& input) {
        ResetPluginSdkState();
        SetPluginSdkFactory(&MakeFake);
        g_sdk = input.starts_with(L"none") ? nullptr : FakeSdk::Make();
        std::wstring answer;
        for (int window = 0; window < 2; ++window) {
            if (g_sdk) {
                g_sdk->keyResult = input.find(L"key") != std::wstring::npos ? E_FAIL : S_OK;
                g_sdk->authResult = input.find(L"auth") != std::wstring::npos ? S_FALSE : S_OK;
                g_sdk->startResult = input.find(L"start") != std::wstring::npos ? E_UNEXPECTED : S_OK;
                g_sdk->answer = input.find(L"null") != std::wstring::npos ? nullptr : L"K1";
                g_sdk->calls.clear();
            }
            const PluginSdkLink link = PluginSdkLink::InitializeMarlinToolbarPluginSDK();
            answer += Format(L"%ls ready=%d ", g_sdk ? g_sdk->calls.c_str() : L"", link.ready());
        }
        answer += L"contexts " + g_contexts + ReplaceAll(FromUtf8(MessageBoxes()), L"\r\n", L"; ");
        env().messageBoxes.clear();
        g_contexts.clear();
        return answer;
    });
    ExpectGolden("sdk-start-log.xml", ReadTextFile(errorLog));
}

// The calls the product makes on a link: arguments as given, answers taken
// only on S_OK, null strings as empty text, oversized answers refused.
TEST_F(SdkLinkTest, QueriesPassTheirArgumentsAndTakeOnlySuccessfulAnswers)
{
    ExpectGoldenTable("sdk-queries.txt", [&](const std::wstring& input) {
        g_sdk = FakeSdk::Make();
        g_sdk->queryResult = input.find(L"fails") != std::wstring::npos ? S_FALSE : S_OK;
        const std::wstring huge(kMaxSdkTextChars + 1, L'x');
        g_sdk->answer = input.find(L"null") != std::wstring::npos   ? nullptr
                        : input.find(L"huge") != std::wstring::npos ? huge.c_str()
                                                                    : L"<U><E>1,2</E></U>";
        const PluginSdkLink link = PluginSdkLink::CreateForToolbar();
        std::wstring answer;
        if (const auto updates = link.GetPluginUpdates(3)) answer += L"updates{" + *updates + L"} ";
        if (const auto query = link.QueryPlugin(kQueryPluginIcon, 0, 2, L"C:\\P\\1\\E.dll")) {
            answer += Format(L"query{%ls,%ls,%ld} ", query->text1.c_str(), query->text2.c_str(), query->value);
        }
        answer += Format(L"changed=%d ", link.QueryDataChanged());
        return g_sdk->calls + L"-> " + answer + L"contexts " + std::exchange(g_contexts, L"");
    });
}

} // namespace
} // namespace marlin::test
