#include "PluginCatalogue.h"

#include "config/InstallPaths.h"
#include "config/Skins.h"
#include "platform/ComTypes.h"
#include "platform/Strings.h"
#include "platform/UniqueHandle.h"
#include "platform/XmlDom.h"

namespace marlin {

namespace {

constexpr wchar_t kPluginElement[] = L"PlugIn";

// The PlugIn elements below the document element, in document order, at most
// kMaxCatalogueEntries; nothing when the catalogue is missing or broken.
std::optional<std::vector<XmlElement>> CatalogueEntries()
{
    const std::wstring path = PluginCataloguePath();
    if (path.empty()) return std::nullopt;
    auto document = XmlDocument::Create();
    if (!document || !document->Load(path, kMaxCatalogueBytes)) return std::nullopt;
    const XmlElement root = document->Root();
    if (!root) return std::nullopt;
    ComPtr<IXMLDOMNodeList> list;
    const UniqueBstr tag(kPluginElement);
    if (!tag.valid() || root->getElementsByTagName(tag.get(), &list) != S_OK || !list) return std::nullopt;
    std::vector<XmlElement> entries;
    for (;;) {
        ComPtr<IXMLDOMNode> node;
        if (list->nextNode(&node) != S_OK || !node) break;
        XmlElement element;
        // getElementsByTagName matches exactly; its name is checked again all the same.
        if (FAILED(node.As(&element)) || NodeName(node.Get()) != kPluginElement) continue;
        entries.push_back(std::move(element));
        if (entries.size() == kMaxCatalogueEntries) break;
    }
    return entries;
}

// The name comes only from the first attribute, and only when that one is called Name.
std::wstring EntryName(IXMLDOMNode* entry)
{
    const auto first = AttributeAt(entry, 0);
    return first && EqualsNoCase(first->first, L"Name") ? first->second : std::wstring();
}

// Decimal digits only, at most ten, value above 0.
std::optional<int> IdentifierFromText(std::wstring_view text)
{
    if (text.empty() || text.size() > 10) return std::nullopt;
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    if (value <= 0 || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::wstring FullPath(const std::wstring& path)
{
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

} // namespace

std::wstring PluginCataloguePath()
{
    const std::wstring data = g_ApplicationPath.get();
    return data.empty() ? std::wstring() : data + L"XMLS" + L"\\Plug-in.xml";
}

bool LoadPluginCatalogue(std::vector<PluginRecord>& records)
{
    records.clear();
    ComInitScope com;
    const auto entries = CatalogueEntries();
    if (!entries) return false;
    for (const XmlElement& entry : *entries) {
        PluginRecord record;
        record.name = EntryName(entry.Get());
        for (const XmlElement& child : ChildElements(entry.Get())) {
            const std::wstring name = NodeName(child.Get());
            if (EqualsNoCase(name, L"ID")) record.id = ParseInt(GetText(child.Get()));
            else if (EqualsNoCase(name, L"Frequency")) record.frequency = ParseInt(GetText(child.Get()));
            if (record.id > 0 && record.frequency > 0) break;
        }
        if (record.id <= 0) continue;
        const auto path = PluginLibraryPath(record.id, record.name);
        if (path && PluginLibraryExists(*path)) records.push_back(std::move(record));
    }
    return true;
}

bool LoadPluginCatalogue(std::vector<PluginTextRecord>& records)
{
    records.clear();
    ComInitScope com;
    const auto entries = CatalogueEntries();
    if (!entries) return false;
    for (const XmlElement& entry : *entries) {
        PluginTextRecord record;
        record.name = EntryName(entry.Get());
        for (const XmlElement& child : ChildElements(entry.Get())) {
            const std::wstring name = NodeName(child.Get());
            if (EqualsNoCase(name, L"ID")) record.id = GetText(child.Get());
            else if (EqualsNoCase(name, L"Frequency")) record.frequency = GetText(child.Get());
            if (!record.id.empty() && !record.frequency.empty()) break;
        }
        if (!record.id.empty()) records.push_back(std::move(record));
    }
    return true;
}

std::wstring GetSuggestedCategory(int id)
{
    if (id <= 0) return {};
    ComInitScope com;
    const auto entries = CatalogueEntries();
    if (!entries) return {};
    for (const XmlElement& entry : *entries) {
        bool matched = false;
        for (const XmlElement& child : ChildElements(entry.Get())) {
            const std::wstring name = NodeName(child.Get());
            if (EqualsNoCase(name, L"ID")) {
                matched = ParseInt(GetText(child.Get())) == id;
            } else if (matched && EqualsNoCase(name, L"SuggestedCategory")) {
                return GetText(child.Get()).substr(0, kMaxCategoryChars);
            }
        }
    }
    return {};
}

std::optional<std::wstring> PluginLibraryPath(int id, const std::wstring& name)
{
    const std::wstring install = g_InstallPath.get();
    if (id <= 0 || install.empty() || !IsPlainFileName(name)) return std::nullopt;
    const std::wstring plugins = WithTrailingBackslash(install) + L"Plugins\\";
    const std::wstring path = plugins + std::to_wstring(id) + L"\\" + name + L".dll";
    // The name is plain and the identifier digits; the check stands against what those rules miss.
    const std::wstring full = FullPath(path), folder = FullPath(plugins);
    if (full.empty() || folder.empty() || !StartsWithNoCase(full, folder)) return std::nullopt;
    if (full.find(L'\\', folder.size()) != full.rfind(L'\\')) return std::nullopt;
    return full;
}

std::optional<std::wstring> PluginLibraryPath(std::wstring_view idText, const std::wstring& name)
{
    const auto id = IdentifierFromText(idText);
    return id ? PluginLibraryPath(*id, name) : std::nullopt;
}

std::optional<PluginRecord> ToPluginRecord(const PluginTextRecord& record)
{
    const auto id = IdentifierFromText(record.id);
    if (!id) return std::nullopt;
    return PluginRecord{*id, ParseInt(record.frequency), record.name};
}

bool PluginLibraryExists(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    const unique_find search(::FindFirstFileW(path.c_str(), &found));
    return search && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace marlin
