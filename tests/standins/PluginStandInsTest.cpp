// The plug-in stand-ins answer as scripted: the SDK server registered and
// called through IPluginSdk (and once through IDispatch), its method
// positions read from its type library, and the sample libraries' FetchData.
// Everything lands in one transcript compared with golden/PluginStandIns.txt.
#include "platform/ComTypes.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"
#include "support/Golden.h"
#include "support/PluginSdks.h"

#include <gtest/gtest.h>

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr wchar_t kScript[] =
    L"<PluginSdk><GetPartnerKey Text=\"KEY-1\"/><AuthenticateUser Result=\"0x80004005\"/><StartSdk Text=\"go\"/>"
    L"<QueryDataChanged Value=\"1\"/>"
    L"<Plugin ID=\"1\" Icon=\"%ls\" Text=\"deals\"><Updates><U>s1,7</U><U>s2,8</U></Updates>"
    L"<Content Number=\"7\"><ButtDesc name=\"E\"><Item caption=\"A\"/></ButtDesc></Content></Plugin></PluginSdk>";

std::wstring Answer(HRESULT hr, BSTR text)
{
    UniqueBstr owned;
    owned.reset(text);
    return Format(L"0x%08lx \"%ls\"", static_cast<unsigned long>(hr), owned.str().c_str());
}

std::wstring ClassesValue(const std::wstring& path, const wchar_t* name)
{
    const unique_hkey key = OpenRegistryKey(HKEY_CLASSES_ROOT, path, KEY_READ);
    return key ? ReadRegistryString(key.get(), name, MAX_PATH).value_or(L"?") : L"-";
}

// The shape of a plug-in data document: its element names, nested.
std::wstring Shape(IXMLDOMNode* node)
{
    std::wstring shape = NodeName(node);
    const auto children = ChildElements(node);
    if (children.empty()) return shape;
    shape += L"(";
    for (const XmlElement& child : children) shape += Shape(child.Get()) + L" ";
    shape.back() = L')';
    return shape;
}

using FetchDataFunction = int(__cdecl*)(RECT, int, BSTR*);

} // namespace

class PluginStandInsTest : public IsolatedTest {};

TEST_F(PluginStandInsTest, AnswerAsScripted)
{
    std::wstring log;
    const std::wstring sdkFolder = MakeFolder(L"Sdk");
    const std::wstring icon = WinePath(MARLIN_IMAGES_DIR "/EbayWide.ico");
    const StandInSdk sdk(sdkFolder, ToUtf8(Format(kScript, icon.c_str())));
    ASSERT_TRUE(sdk.module());
    const auto entry = [&](const char* name) { return reinterpret_cast<HRESULT(__stdcall*)()>(::GetProcAddress(sdk.module(), name)); };
    const std::wstring serverKey = L"CLSID\\{F24F8F0F-B8AB-488E-9B8A-AE3E022877A0}\\InprocServer32";
    log += Format(L"register 0x%08lx: ", static_cast<unsigned long>(entry("DllRegisterServer")()));
    log += ClassesValue(serverKey, nullptr) + L" " + ClassesValue(serverKey, L"ThreadingModel") + L"\r\n";

    ComPtr<IPluginSdk> api;
    ASSERT_HRESULT_SUCCEEDED(StandInSdk::Make(0, &api));

    // The methods' places in the table (1: the first after IDispatch's), as the type library gives them.
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(api->GetTypeInfo(0, 0, &info));
    TYPEATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attributes));
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        UniqueBstr name;
        if (FAILED(info->GetFuncDesc(i, &function))) continue;
        info->GetDocumentation(function->memid, name.put(), nullptr, nullptr, nullptr);
        if (!name.str().starts_with(L"Reserved")) log += Format(L"%d %ls\r\n", function->oVft / 8 - 6, name.str().c_str());
        info->ReleaseFuncDesc(function);
    }
    info->ReleaseTypeAttr(attributes);

    BSTR text = nullptr, text2 = nullptr;
    LONG value = 0;
    // Reads `text` once the call (the argument) has filled it.
    const auto answered = [&](const wchar_t* method, HRESULT hr) { return method + (L" " + Answer(hr, text)) + L"\r\n"; };
    const UniqueBstr key(L"KEY-1"), user(L"JX");
    log += answered(L"GetPartnerKey", api->GetPartnerKey(&text));
    log += answered(L"AuthenticateUser", api->AuthenticateUser(key.get(), user.get(), user.get(), &text));
    log += answered(L"StartSdk", api->StartSdk(key.get(), user.get(), &text));
    for (const wchar_t* plugin : {L"1", L"2"}) {
        log += answered(L"GetPluginUpdates", api->GetPluginUpdates(UniqueBstr(plugin).get(), &text));
    }
    const UniqueBstr library(L"C:\\Install\\Plugins\\1\\EBay.dll");
    for (const auto& [kind, number] : {std::pair{1L, 0L}, {2L, 0L}, {3L, 7L}, {3L, 9L}}) {
        const HRESULT hr = api->QueryPlugin(kind, number, 2, library.get(), &text, &text2, &value);
        const unique_hicon icon(reinterpret_cast<HICON>(static_cast<LONG_PTR>(value)));
        ICONINFO parts{};
        BITMAP colour{};
        if (icon && ::GetIconInfo(icon.get(), &parts)) {
            ::GetObjectW(parts.hbmColor, sizeof colour, &colour);
            ::DeleteObject(parts.hbmColor);
            ::DeleteObject(parts.hbmMask);
        }
        log += Format(L"QueryPlugin %ld %ld %ls %ls icon %ldx%ld\r\n", kind, number, Answer(hr, text).c_str(),
                      Answer(hr, text2).c_str(), colour.bmWidth, colour.bmHeight);
    }
    // QueryDataChanged (position 19) through IDispatch.
    Variant changed;
    LONG flag = 0;
    VARIANT argument{};
    argument.vt = VT_I4 | VT_BYREF;
    argument.plVal = &flag;
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    const HRESULT hr = api->Invoke(19, IID_NULL, 0, DISPATCH_METHOD, &parameters, &changed.get(), nullptr, nullptr);
    log += Format(L"Invoke 19 0x%08lx %ld\r\n", static_cast<unsigned long>(hr), flag);
    api.Reset();
    log += L"--- PluginSdk.log\r\n" + FromUtf8(ReadTextFile(sdkFolder + L"PluginSdk.log"));
    log += Format(L"unregister 0x%08lx: ", static_cast<unsigned long>(entry("DllUnregisterServer")()));
    log += ClassesValue(serverKey, nullptr) + L"\r\n";

    // The sample libraries, and one answering what FetchData.txt beside it says.
    const std::wstring scripted = MakeFolder(L"Plugins\\3");
    ASSERT_TRUE(::CopyFileW(WinePath(MARLIN_PLUGINS_DIR "/3/YouTube.dll").c_str(), (scripted + L"YouTube.dll").c_str(), FALSE));
    WriteTextFile(scripted + L"FetchData.txt", "EMPTY");
    for (const std::wstring& path : {WinePath(MARLIN_PLUGINS_DIR "/1/EBay.dll"), WinePath(MARLIN_PLUGINS_DIR "/3/YouTube.dll"),
                                    scripted + L"YouTube.dll"}) {
        const unique_hmodule plugin(::LoadLibraryW(path.c_str()));
        ASSERT_TRUE(plugin);
        const auto fetch = reinterpret_cast<FetchDataFunction>(::GetProcAddress(plugin.get(), "FetchData"));
        ASSERT_TRUE(fetch);
        BSTR data = nullptr;
        fetch(RECT{10, 20, 110, 44}, 1, &data);
        UniqueBstr owned(data);
        auto document = XmlDocument::Create();
        const bool parsed = document && document->LoadXml(owned.str());
        log += L"--- " + path.substr(path.find_last_of(L'\\') + 1) + L": " +
               (parsed ? Shape(document->Root().Get()) : L"no document") + L"\r\n" + owned.str() + L"\r\n";
    }
    ExpectGolden("PluginStandIns.txt", ToUtf8(log), scratch());
}
