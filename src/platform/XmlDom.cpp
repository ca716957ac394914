#include "XmlDom.h"

#include "ComTypes.h"
#include "Files.h"
#include "Strings.h"

#include <shlwapi.h>

#include <cctype>
#include <string_view>

namespace marlin {

namespace {

// mingw's libuuid does not carry MSXML's class identifier; this is the
// version-independent DOMDocument class that msxml3 registers.
const CLSID kClsidDomDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// The thread's DOM document class factory and how many caches keep it. Plain
// values: nothing to run at thread exit, which may come after COM or the
// module is gone.
thread_local unsigned t_factoryUsers = 0;
thread_local IClassFactory* t_domFactory = nullptr;

IClassFactory* ThreadDomFactory() noexcept
{
    if (t_factoryUsers == 0) return nullptr;
    if (!t_domFactory &&
        FAILED(::CoGetClassObject(kClsidDomDocument, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&t_domFactory)))) {
        t_domFactory = nullptr;
    }
    return t_domFactory;
}

ComPtr<IXMLDOMElement> AsElement(IXMLDOMNode* node)
{
    ComPtr<IXMLDOMElement> element;
    if (node) node->QueryInterface(IID_PPV_ARGS(&element));
    return element;
}

ComPtr<IXMLDOMNamedNodeMap> Attributes(IXMLDOMNode* node)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes;
    if (!node || node->get_attributes(&attributes) != S_OK) attributes.Reset();
    return attributes;
}

std::wstring NodeValueText(IXMLDOMNode* node)
{
    Variant value;
    if (!node || node->get_nodeValue(value.put()) != S_OK) return {};
    return value.str();
}

// True when the bytes start with an XML declaration whose encoding is UTF-16.
bool DeclaresUtf16(std::string_view bytes)
{
    if (!bytes.starts_with("<?xml")) return false;
    std::string declaration(bytes.substr(0, bytes.find("?>")));
    for (char& c : declaration) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* quote : {"\"", "'"}) {
        if (declaration.find(std::string("encoding=") + quote + "utf-16" + quote) != std::string::npos) return true;
    }
    return false;
}

// MSXML under Wine writes every document as UTF-8, also one that declares
// UTF-16, which then no longer parses: such a file is rewritten in UTF-16
// (little-endian, with its byte-order mark). A file that is already UTF-16
// starts with the mark and is left as it is.
bool MatchBytesToDeclaration(const std::wstring& path)
{
    auto bytes = ReadFileBytes(path, XmlDocument::kDefaultMaxBytes);
    if (!bytes) return false;
    if (!DeclaresUtf16(*bytes)) return true;
    const std::wstring text = L"\xFEFF" + FromUtf8(*bytes);
    return WriteFileBytes(path,
                          std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

bool LoadsBack(const std::wstring& path)
{
    auto check = XmlDocument::Create();
    return check && check->Load(path);
}

} // namespace

XmlFactoryCache::XmlFactoryCache() noexcept { ++t_factoryUsers; }

XmlFactoryCache::~XmlFactoryCache()
{
    if (--t_factoryUsers > 0 || !t_domFactory) return;
    t_domFactory->Release();
    t_domFactory = nullptr;
}

std::optional<XmlDocument> XmlDocument::Create()
{
    ComPtr<IXMLDOMDocument> document;
    IClassFactory* factory = ThreadDomFactory();
    const HRESULT hr = factory ? factory->CreateInstance(nullptr, IID_PPV_ARGS(&document))
                               : ::CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_PPV_ARGS(&document));
    if (FAILED(hr) || !document) return std::nullopt;
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    return XmlDocument(std::move(document));
}

bool XmlDocument::Load(const std::wstring& path, size_t maxBytes)
{
    // The bytes are read with every sharing mode and handed to the parser as a
    // stream: a reader never blocks another window's atomic save (a rename over
    // the file), and the parser still detects the encoding itself.
    auto bytes = ReadFileBytes(path, maxBytes);
    if (!bytes) return false;
    IStream* stream =
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes->data()), static_cast<UINT>(bytes->size()));
    if (!stream) return false;
    Variant source; // owns the stream's one reference from here on
    source.get().vt = VT_UNKNOWN;
    source.get().punkVal = stream;
    VARIANT_BOOL ok = VARIANT_FALSE;
    return m_document->load(source.get(), &ok) == S_OK && ok == VARIANT_TRUE;
}

bool XmlDocument::LoadXml(const std::wstring& text)
{
    UniqueBstr xml(text);
    if (!xml.valid()) return false;
    VARIANT_BOOL ok = VARIANT_FALSE;
    return m_document->loadXML(xml.get(), &ok) == S_OK && ok == VARIANT_TRUE;
}

bool XmlDocument::Save(const std::wstring& path)
{
    Variant destination = Variant::FromString(path);
    return m_document->save(destination.get()) == S_OK;
}

bool XmlDocument::SaveAtomically(const std::wstring& path)
{
    // What does not load again must not replace a file that does.
    return ReplaceFileAtomically(path, [this](const std::wstring& tempPath) {
        return Save(tempPath) && MatchBytesToDeclaration(tempPath) && LoadsBack(tempPath);
    });
}

XmlElement XmlDocument::Root() const
{
    XmlElement root;
    if (m_document->get_documentElement(&root) != S_OK) root.Reset();
    return root;
}

XmlElement XmlDocument::CreateElement(const std::wstring& name)
{
    UniqueBstr tag(name);
    XmlElement element;
    if (!tag.valid() || m_document->createElement(tag.get(), &element) != S_OK) element.Reset();
    return element;
}

bool XmlDocument::AppendProcessingInstruction(const std::wstring& target, const std::wstring& data)
{
    UniqueBstr targetText(target);
    UniqueBstr dataText(data);
    ComPtr<IXMLDOMProcessingInstruction> instruction;
    if (m_document->createProcessingInstruction(targetText.get(), dataText.get(), &instruction) != S_OK) return false;
    return AppendToDocument(instruction.Get());
}

bool XmlDocument::AppendToDocument(IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> added;
    return child && m_document->appendChild(child, &added) == S_OK;
}

std::wstring XmlDocument::Xml() const
{
    UniqueBstr xml;
    if (m_document->get_xml(xml.put()) != S_OK) return {};
    return xml.str();
}

std::wstring NodeName(IXMLDOMNode* node)
{
    UniqueBstr name;
    if (!node || node->get_nodeName(name.put()) != S_OK) return {};
    return name.str();
}

std::optional<std::wstring> GetAttribute(IXMLDOMNode* node, const std::wstring& name)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes = Attributes(node);
    if (!attributes) return std::nullopt;
    UniqueBstr attributeName(name);
    ComPtr<IXMLDOMNode> attribute;
    if (attributes->getNamedItem(attributeName.get(), &attribute) != S_OK || !attribute) return std::nullopt;
    return NodeValueText(attribute.Get());
}

std::optional<std::wstring> GetAttributeNoCase(IXMLDOMNode* node, const std::wstring& name)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes = Attributes(node);
    if (!attributes) return std::nullopt;
    long count = 0;
    if (attributes->get_length(&count) != S_OK) return std::nullopt;
    for (long i = 0; i < count; ++i) {
        ComPtr<IXMLDOMNode> attribute;
        if (attributes->get_item(i, &attribute) != S_OK || !attribute) continue;
        if (EqualsNoCase(NodeName(attribute.Get()), name)) return NodeValueText(attribute.Get());
    }
    return std::nullopt;
}

bool SetAttribute(IXMLDOMNode* node, const std::wstring& name, const std::wstring& value)
{
    XmlElement element = AsElement(node);
    if (!element) return false;
    UniqueBstr attributeName(name);
    Variant attributeValue = Variant::FromString(value);
    return element->setAttribute(attributeName.get(), attributeValue.get()) == S_OK;
}

long AttributeCount(IXMLDOMNode* node)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes = Attributes(node);
    long count = 0;
    if (!attributes || attributes->get_length(&count) != S_OK) return 0;
    return count;
}

std::optional<std::pair<std::wstring, std::wstring>> AttributeAt(IXMLDOMNode* node, long index)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes = Attributes(node);
    ComPtr<IXMLDOMNode> attribute;
    if (!attributes || attributes->get_item(index, &attribute) != S_OK || !attribute) return std::nullopt;
    return std::make_pair(NodeName(attribute.Get()), NodeValueText(attribute.Get()));
}

bool SetAttributeValueAt(IXMLDOMNode* node, long index, const std::wstring& value)
{
    ComPtr<IXMLDOMNamedNodeMap> attributes = Attributes(node);
    ComPtr<IXMLDOMNode> attribute;
    if (!attributes || attributes->get_item(index, &attribute) != S_OK || !attribute) return false;
    Variant text = Variant::FromString(value);
    return attribute->put_nodeValue(text.get()) == S_OK;
}

std::vector<XmlElement> ChildElements(IXMLDOMNode* node)
{
    std::vector<XmlElement> children;
    if (!node) return children;
    ComPtr<IXMLDOMNode> child;
    if (node->get_firstChild(&child) != S_OK) return children;
    while (child) {
        DOMNodeType type = NODE_INVALID;
        if (child->get_nodeType(&type) == S_OK && type == NODE_ELEMENT) {
            children.push_back(AsElement(child.Get()));
        }
        ComPtr<IXMLDOMNode> next;
        if (child->get_nextSibling(&next) != S_OK) break;
        child = std::move(next);
    }
    return children;
}

bool AppendChild(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> added;
    return parent && child && parent->appendChild(child, &added) == S_OK;
}

bool RemoveChild(IXMLDOMNode* parent, IXMLDOMNode* child)
{
    ComPtr<IXMLDOMNode> removed;
    return parent && child && parent->removeChild(child, &removed) == S_OK;
}

bool InsertBefore(IXMLDOMNode* parent, IXMLDOMNode* child, IXMLDOMNode* reference)
{
    if (!parent || !child) return false;
    Variant before;
    if (reference) {
        before.get().vt = VT_UNKNOWN;
        before.get().punkVal = reference;
        reference->AddRef();
    }
    ComPtr<IXMLDOMNode> inserted;
    return parent->insertBefore(child, before.get(), &inserted) == S_OK;
}

XmlNode CloneNode(IXMLDOMNode* node)
{
    XmlNode clone;
    if (!node || node->cloneNode(VARIANT_TRUE, &clone) != S_OK) clone.Reset();
    return clone;
}

bool RemoveAllChildren(IXMLDOMNode* node)
{
    if (!node) return false;
    for (;;) {
        ComPtr<IXMLDOMNode> child;
        HRESULT hr = node->get_firstChild(&child);
        if (hr == S_FALSE || !child) return true;
        if (hr != S_OK || !RemoveChild(node, child.Get())) return false;
    }
}

std::wstring GetText(IXMLDOMNode* node)
{
    UniqueBstr text;
    if (!node || node->get_text(text.put()) != S_OK) return {};
    return text.str();
}

bool SetText(IXMLDOMNode* node, const std::wstring& text)
{
    UniqueBstr value(text);
    return node && value.valid() && node->put_text(value.get()) == S_OK;
}

} // namespace marlin
