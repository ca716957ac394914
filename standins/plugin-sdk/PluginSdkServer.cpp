// Stand-in for the plug-in SDK: an in-process COM server whose answers come
// from PluginSdk.xml beside the DLL, read again at every call so that a test
// can change them between calls, and which appends every call it gets to
// PluginSdk.log beside the DLL. PluginSdk.xml in this folder describes the
// script and is the demo's.
#include "PluginSdk_h.h"

#include "platform/ComTypes.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"

#include <olectl.h>

#include <mutex>
#include <optional>
#include <string>

using namespace marlin;

namespace {

constexpr wchar_t kClassKey[] = L"CLSID\\{F24F8F0F-B8AB-488E-9B8A-AE3E022877A0}";

std::wstring BesideModule(const wchar_t* name)
{
    std::wstring path = ModuleFileName();
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

void LogCall(const std::wstring& line)
{
    static std::mutex lock;
    const std::lock_guard guard(lock);
    const std::string bytes = ToUtf8(line + L"\r\n");
    HANDLE file = ::CreateFileW(BesideModule(L"PluginSdk.log").c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::wstring Text(BSTR text) { return text ? text : L""; }

HRESULT PutText(BSTR* out, const std::wstring& text)
{
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring NodeXml(IXMLDOMNode* node)
{
    UniqueBstr xml;
    if (!node || FAILED(node->get_xml(xml.put()))) return {};
    return xml.str();
}

XmlElement FirstChildNamed(IXMLDOMNode* parent, const wchar_t* name, const wchar_t* number = nullptr)
{
    for (const XmlElement& child : ChildElements(parent)) {
        if (NodeName(child.Get()) == name && (!number || GetAttribute(child.Get(), L"Number") == number)) return child;
    }
    return nullptr;
}

// One call's script: the method's element (Result, Text, Value, Wait) and
// the plug-in elements. No script, or one that does not parse, fails every call.
class Script {
public:
    explicit Script(const wchar_t* method)
    {
        m_document = XmlDocument::Create();
        if (!m_document || !m_document->Load(BesideModule(L"PluginSdk.xml"))) return;
        m_root = m_document->Root();
        m_method = FirstChildNamed(m_root.Get(), method);
        // A slow or hanging SDK: the call answers after Wait milliseconds.
        if (const auto wait = Attribute(L"Wait")) ::Sleep(static_cast<DWORD>(std::wcstoul(wait->c_str(), nullptr, 0)));
    }

    HRESULT Result() const
    {
        if (!m_root) return E_FAIL;
        const auto result = Attribute(L"Result");
        return result ? static_cast<HRESULT>(std::wcstoul(result->c_str(), nullptr, 0)) : S_OK;
    }
    std::optional<std::wstring> Attribute(const wchar_t* name) const
    {
        return m_method ? GetAttribute(m_method.Get(), name) : std::nullopt;
    }
    XmlElement Plugin(const std::wstring& id) const
    {
        for (const XmlElement& child : ChildElements(m_root.Get())) {
            if (NodeName(child.Get()) == L"Plugin" && GetAttribute(child.Get(), L"ID") == id) return child;
        }
        return nullptr;
    }

private:
    std::optional<XmlDocument> m_document;
    XmlElement m_root;
    XmlElement m_method;
};

// The plug-in's identifier is the name of its library's folder (Plugins\<id>\<name>.dll).
std::wstring PluginIdOfLibrary(const std::wstring& path)
{
    const size_t end = path.find_last_of(L'\\');
    if (end == std::wstring::npos || end == 0) return {};
    const size_t start = path.find_last_of(L'\\', end - 1);
    return path.substr(start == std::wstring::npos ? 0 : start + 1, end - (start == std::wstring::npos ? 0 : start + 1));
}

class PluginSdkObject final : public ComObject<PluginSdkObject, IPluginSdk> {
public:
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        return iid == __uuidof(IDispatch) ? static_cast<IPluginSdk*>(this) : nullptr;
    }

    STDMETHODIMP GetPartnerKey(BSTR* partnerKey) noexcept override
    {
        return ComBoundary([&] {
            LogCall(L"GetPartnerKey");
            return Answer(Script(L"GetPartnerKey"), partnerKey);
        });
    }
    STDMETHODIMP AuthenticateUser(BSTR partnerKey, BSTR userName, BSTR password, BSTR* answer) noexcept override
    {
        return ComBoundary([&] {
            LogCall(L"AuthenticateUser " + Text(partnerKey) + L" " + Text(userName) + L" " + Text(password));
            return Answer(Script(L"AuthenticateUser"), answer);
        });
    }
    STDMETHODIMP StartSdk(BSTR partnerKey, BSTR userName, BSTR* answer) noexcept override
    {
        return ComBoundary([&] {
            LogCall(L"StartSdk " + Text(partnerKey) + L" " + Text(userName));
            return Answer(Script(L"StartSdk"), answer);
        });
    }
    // Kind 1: the icon file named by the plug-in's Icon (relative to the DLL's folder);
    // kind 2: its Text; kind 3: the first element inside its Content with that Number.
    STDMETHODIMP QueryPlugin(LONG kind, LONG number, LONG toolbarIndex, BSTR libraryPath, BSTR* text1, BSTR* text2,
                             LONG* value) noexcept override
    {
        return ComBoundary([&]() -> HRESULT {
            LogCall(Format(L"QueryPlugin %ld %ld %ld ", kind, number, toolbarIndex) + Text(libraryPath));
            if (!text1 || !text2 || !value) return E_POINTER;
            *text1 = *text2 = nullptr;
            *value = 0;
            const Script script(L"QueryPlugin");
            if (script.Result() != S_OK) return script.Result();
            const XmlElement plugin = script.Plugin(PluginIdOfLibrary(Text(libraryPath)));
            if (!plugin) return E_INVALIDARG;
            if (kind == 1) {
                std::wstring icon = GetAttribute(plugin.Get(), L"Icon").value_or(L"");
                if (icon.find(L':') == std::wstring::npos) icon = BesideModule(icon.c_str());
                // At the file's own size: a plug-in's image may be wider than the toolbar's icons.
                HANDLE handle = ::LoadImageW(nullptr, icon.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
                if (!handle) return E_FAIL;
                *value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(handle));
                return S_OK;
            }
            if (kind == 2) return PutText(text1, GetAttribute(plugin.Get(), L"Text").value_or(L""));
            if (kind != 3) return E_INVALIDARG;
            const XmlElement content = FirstChildNamed(plugin.Get(), L"Content", std::to_wstring(number).c_str());
            const std::vector<XmlElement> inside = ChildElements(content.Get());
            if (inside.empty()) return E_INVALIDARG;
            return PutText(text2, NodeXml(inside.front().Get()));
        });
    }
    // The plug-in's Updates element, as XML text.
    STDMETHODIMP GetPluginUpdates(BSTR pluginId, BSTR* updates) noexcept override
    {
        return ComBoundary([&]() -> HRESULT {
            LogCall(L"GetPluginUpdates " + Text(pluginId));
            if (!updates) return E_POINTER;
            *updates = nullptr;
            const Script script(L"GetPluginUpdates");
            if (script.Result() != S_OK) return script.Result();
            const XmlElement list = FirstChildNamed(script.Plugin(Text(pluginId)).Get(), L"Updates");
            return list ? PutText(updates, NodeXml(list.Get())) : E_INVALIDARG;
        });
    }
    STDMETHODIMP QueryDataChanged(LONG* changed) noexcept override
    {
        return ComBoundary([&]() -> HRESULT {
            LogCall(L"QueryDataChanged");
            if (!changed) return E_POINTER;
            const Script script(L"QueryDataChanged");
            *changed = std::wcstol(script.Attribute(L"Value").value_or(L"0").c_str(), nullptr, 0);
            return script.Result();
        });
    }

#define MARLIN_RESERVED(n) \
    STDMETHODIMP Reserved##n() noexcept override { return E_NOTIMPL; }
    MARLIN_RESERVED(3) MARLIN_RESERVED(5) MARLIN_RESERVED(6) MARLIN_RESERVED(7) MARLIN_RESERVED(8)
    MARLIN_RESERVED(9) MARLIN_RESERVED(10) MARLIN_RESERVED(11) MARLIN_RESERVED(12) MARLIN_RESERVED(14)
    MARLIN_RESERVED(15) MARLIN_RESERVED(16) MARLIN_RESERVED(18)
#undef MARLIN_RESERVED

    // IDispatch through the type library in the DLL's resources.
    STDMETHODIMP GetTypeInfoCount(UINT* count) noexcept override
    {
        if (!count) return E_POINTER;
        *count = TypeInfo() ? 1 : 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (!TypeInfo()) return E_NOTIMPL;
        *info = TypeInfo();
        (*info)->AddRef();
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept override
    {
        return TypeInfo() ? ::DispGetIDsOfNames(TypeInfo(), names, count, ids) : E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                        UINT* badArgument) noexcept override
    {
        if (!TypeInfo()) return E_NOTIMPL;
        return ::DispInvoke(static_cast<IPluginSdk*>(this), TypeInfo(), id, flags, params, result, error, badArgument);
    }

private:
    static HRESULT Answer(const Script& script, BSTR* out)
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (script.Result() != S_OK) return script.Result();
        return PutText(out, script.Attribute(L"Text").value_or(L""));
    }

    ITypeInfo* TypeInfo() noexcept
    {
        if (!m_typeInfo) {
            ComPtr<ITypeLib> library;
            ComPtr<ITypeInfo> info;
            if (SUCCEEDED(::LoadTypeLibEx(ModuleFileName().c_str(), REGKIND_NONE, &library)) &&
                SUCCEEDED(library->GetTypeInfoOfGuid(__uuidof(IPluginSdk), &info))) {
                // A dual interface's entry is its dispinterface; calls go through the table behind it.
                HREFTYPE table = 0;
                if (FAILED(info->GetRefTypeOfImplType(-1, &table)) || FAILED(info->GetRefTypeInfo(table, &m_typeInfo))) {
                    m_typeInfo = info;
                }
            }
        }
        return m_typeInfo.Get();
    }

    ComPtr<ITypeInfo> m_typeInfo;
};

HRESULT CreateSdk(REFIID iid, void** object)
{
    return PluginSdkObject::Make()->QueryInterface(iid, object);
}

} // namespace

extern "C" {

// Its own entry, so that the product's (in marlin_core) is not linked in.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    return TRUE;
}

HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (clsid != __uuidof(PluginSdk)) return CLASS_E_CLASSNOTAVAILABLE;
    return ComBoundary([&] { return ClassFactory::Make(&CreateSdk)->QueryInterface(iid, object); });
}

HRESULT __stdcall DllCanUnloadNow() { return ModuleLock::Count() == 0 ? S_OK : S_FALSE; }

// The class, in-process with the apartment model, and the type library, so
// that the interface can be marshalled to other apartments.
HRESULT __stdcall DllRegisterServer()
{
    return ComBoundary([]() -> HRESULT {
        const std::wstring module = ModuleFileName();
        const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
        const auto set = [](const std::wstring& key, const wchar_t* name, const std::wstring& data) {
            return ::RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, data.c_str(),
                                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        };
        if (set(kClassKey, nullptr, L"Marlin Toolbar Plugin SDK") != ERROR_SUCCESS ||
            set(server, nullptr, module) != ERROR_SUCCESS || set(server, L"ThreadingModel", L"Apartment") != ERROR_SUCCESS) {
            return SELFREG_E_CLASS;
        }
        ComPtr<ITypeLib> library;
        if (FAILED(::LoadTypeLibEx(module.c_str(), REGKIND_REGISTER, &library))) return SELFREG_E_TYPELIB;
        return S_OK;
    });
}

HRESULT __stdcall DllUnregisterServer()
{
    return ComBoundary([]() -> HRESULT {
        ::UnRegisterTypeLib(LIBID_PluginSdkLib, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
        const LSTATUS status = ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kClassKey);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
    });
}

} // extern "C"
