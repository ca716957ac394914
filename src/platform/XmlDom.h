#pragma once
// The MSXML DOM document and the element and attribute access the product needs.
// Every operation answers with a flag or an empty result; nothing throws.
#include "ComObject.h"

#include <msxml2.h>

// mingw's msxml2.h declares these interfaces without their __uuidof identities.
__CRT_UUID_DECL(IXMLDOMDocument, 0x2933BF81, 0x7B36, 0x11D2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMElement, 0x2933BF86, 0x7B36, 0x11D2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)

#include <optional>
#include <string>
#include <vector>

namespace marlin {

using XmlNode = ComPtr<IXMLDOMNode>;
using XmlElement = ComPtr<IXMLDOMElement>;

class XmlDocument {
public:
    // A new, empty in-process DOM document (synchronous loading, no external
    // resources resolved); nothing when MSXML cannot be created. While the
    // calling thread holds an XmlFactoryCache, it comes from the thread's
    // class factory instead of a CoCreateInstance (a registry look-up each).
    static std::optional<XmlDocument> Create();

    // Loads a file of at most maxBytes; larger files do not load.
    static constexpr size_t kDefaultMaxBytes = 64 * 1024 * 1024;
    bool Load(const std::wstring& path, size_t maxBytes = kDefaultMaxBytes);
    bool LoadXml(const std::wstring& text);
    // Saves in place; prefer SaveAtomically for files the user depends on.
    bool Save(const std::wstring& path);
    // Saves to a temporary file beside `path` and moves it over the old file,
    // only once the temporary file is proven to load again. A document that
    // declares UTF-16 is written in UTF-16; every other one as Save writes it.
    bool SaveAtomically(const std::wstring& path);

    XmlElement Root() const;
    XmlElement CreateElement(const std::wstring& name);
    bool AppendProcessingInstruction(const std::wstring& target, const std::wstring& data);
    // Appends to the document itself (the document element on a new document).
    bool AppendToDocument(IXMLDOMNode* child);
    std::wstring Xml() const;

    IXMLDOMDocument* get() const noexcept { return m_document.Get(); }

private:
    explicit XmlDocument(ComPtr<IXMLDOMDocument> document) : m_document(std::move(document)) {}
    ComPtr<IXMLDOMDocument> m_document;
};

// Keeps the calling thread's DOM document class factory while it lives (the
// first document made meanwhile fetches it). A class factory belongs to the
// apartment it came from: the cache is per thread, and made and ended on one
// thread while its COM runs. Nested caches share the thread's factory.
class XmlFactoryCache {
public:
    XmlFactoryCache() noexcept;
    ~XmlFactoryCache();
    XmlFactoryCache(const XmlFactoryCache&) = delete;
    XmlFactoryCache& operator=(const XmlFactoryCache&) = delete;
};

std::wstring NodeName(IXMLDOMNode* node);
// Attribute by exact name.
std::optional<std::wstring> GetAttribute(IXMLDOMNode* node, const std::wstring& name);
// Attribute whose name equals `name` without regard to ASCII case; the first match wins.
std::optional<std::wstring> GetAttributeNoCase(IXMLDOMNode* node, const std::wstring& name);
bool SetAttribute(IXMLDOMNode* element, const std::wstring& name, const std::wstring& value);
long AttributeCount(IXMLDOMNode* node);
// Name and value of the attribute at `index` in document order.
std::optional<std::pair<std::wstring, std::wstring>> AttributeAt(IXMLDOMNode* node, long index);
bool SetAttributeValueAt(IXMLDOMNode* node, long index, const std::wstring& value);
std::vector<XmlElement> ChildElements(IXMLDOMNode* node);
bool AppendChild(IXMLDOMNode* parent, IXMLDOMNode* child);
bool RemoveChild(IXMLDOMNode* parent, IXMLDOMNode* child);
// Inserts `child` before `reference` (appends when reference is null).
bool InsertBefore(IXMLDOMNode* parent, IXMLDOMNode* child, IXMLDOMNode* reference);
// A deep copy of `node`, in the same document.
XmlNode CloneNode(IXMLDOMNode* node);
// Removes every child node.
bool RemoveAllChildren(IXMLDOMNode* node);
std::wstring GetText(IXMLDOMNode* node);
bool SetText(IXMLDOMNode* node, const std::wstring& text);

} // namespace marlin
