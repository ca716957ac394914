#pragma once
// The toolbar document format: Root > Tab > Buttons > ButtDesc > Item > SubItem,
// with Combo for the search box. One reader for buttons and menu entries, the
// renumbering that every structural edit ends with, and the built-in templates.
#include "platform/XmlDom.h"

#include <string>
#include <vector>

namespace marlin {

// The product's own web addresses, written into the templates and new toolbars.
inline constexpr wchar_t kProductHomePage[] = L"http://www.marlintoolbar.example/";
inline constexpr wchar_t kProductFeaturesPage[] = L"http://www.marlintoolbar.example/toolbarfeatures.htm";
inline constexpr wchar_t kProductSearchIcon[] = L"http://www.marlintoolbar.example/Search.ico";

inline constexpr wchar_t kBasicDocumentName[] = L"MarlinToolbarBasic.xml";
inline constexpr wchar_t kLoginDocumentName[] = L"MarlinToolbarLogin.xml";

// Only this many child nodes of one ButtDesc are examined for menu entries.
inline constexpr int kMaxMenuChildren = 20;
// At most this many sub-entries are read per menu entry (against hostile documents).
inline constexpr size_t kMaxSubEntries = 256;

enum class EntryKind { Button, Menu, SubMenu };

// One ButtDesc, Item or SubItem as the toolbar and its menus use it.
struct EntryRecord {
    std::wstring caption;
    std::wstring iconPath;
    bool iconExists = false;
    std::wstring toolTip;
    std::wstring url;
    std::wstring keywordSearchUrl;
    std::wstring command;
    std::wstring cid;
    std::wstring catId;
    bool newWindow = false;
    bool sliderWindow = false;
    bool popup = false;
    bool enabled = true;
};

// The toolbar window's search flag and search-address field, which a button or
// entry whose caption holds "Search" fills while the flag is clear.
struct SearchAddressTarget {
    bool searchFlag = false;
    std::wstring searchAddress;
};

EntryRecord ReadEntry(IXMLDOMNode* element, EntryKind kind, const std::wstring& imagesFolder,
                      SearchAddressTarget* search = nullptr);
// The same reading for text from outside the documents (plug-in data): icon
// names are kept as written and no file is looked at.
EntryRecord ReadForeignEntry(IXMLDOMNode* element, EntryKind kind);

// The Item elements among the first kMaxMenuChildren child nodes of a ButtDesc.
std::vector<XmlElement> MenuItems(IXMLDOMNode* buttDesc);
// The SubItem children of an Item, at most kMaxSubEntries (walked node by
// node: an entry may have any number of children); `cut` tells whether more were left.
std::vector<XmlElement> SubMenuItems(IXMLDOMNode* item, bool* cut = nullptr);

// Numbers toolbars and their children by position: TabID from 1 per Tab, ID
// from 1 per Buttons or Combo child, IDGen the count; stops after the
// pseudo-toolbar (type "0"). Elements of other names are left alone.
void RenumberDocument(const XmlDocument& document);

// The built-in document for the signed-in or signed-out state.
const std::wstring& DocumentTemplate(bool signedIn);

// "&" → "&amp;" before the system stores a URL-bearing value, and back on reading.
std::wstring EscapeAmpersands(const std::wstring& text);
std::wstring UnescapeAmpersands(const std::wstring& text);

// Element helpers of the format.
std::vector<XmlElement> TabElements(const XmlDocument& document);
bool IsPseudoToolbar(IXMLDOMNode* tab);
// First Buttons child's ButtDesc and the like: the first element child named `name`.
XmlElement FirstChildNamed(IXMLDOMNode* parent, const wchar_t* name);
std::wstring AttributeText(IXMLDOMNode* node, const wchar_t* name);

} // namespace marlin
