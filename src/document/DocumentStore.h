#pragma once
// Which toolbar document is in use, making sure it exists, loading it with a
// fallback to the built-in templates, and the one way every edit writes it.
#include "ToolbarDocument.h"
#include "config/InstallPaths.h"

#include <functional>
#include <optional>
#include <string>

namespace marlin {

std::wstring BasicDocumentPath();
std::wstring LoginDocumentPath();
// The current document: the login one while IsLoggedIn, else the basic one.
std::wstring CurrentDocumentPath();

// Loads `path`; when the file is missing, too large or does not parse, the
// template of the current sign-in state stands in (in memory only). Nothing
// only when no DOM document can be created.
std::optional<XmlDocument> LoadToolbarDocument(const std::wstring& path);
// True when `path` holds a document that loads.
bool DocumentFileLoads(const std::wstring& path);

// Writes the template of the current sign-in state to `path`.
bool CreateDocumentFile(const std::wstring& path);
// Creates the current document when its file is missing; tells the user when
// that fails. Answers whether the file exists afterwards.
bool EnsureCurrentDocument(HWND owner);

// Root's Default of the login document minus one (-1 when missing or empty,
// 0 when no DOM document can be created).
int GetDefaultToolbar();
// The same, read from a login document already loaded.
int DefaultToolbarOf(const XmlDocument& loginDocument);
// Writes Root's Default = number into the login document.
bool SetDefaultToolbar(int number);

// Load, change, save under the document's cross-process lock, so that edits
// from several browser windows never overwrite one another. `edit` answers
// whether to save. A file that does not parse is kept beside the document
// (".broken-<date>-<time>") before anything is saved over it. When the lock
// cannot be had, nothing is written: the failure is logged and answered false.
// After a save in protected mode the plug-in API host is told the file's name,
// once the lock is released.
bool EditToolbarDocument(const std::wstring& path, const std::function<bool(XmlDocument&)>& edit);

// The toolbar window's document start-up, in its order: paths and sign-in
// state, the data folder check (message "Application Path not found"), the
// XMLS and Images folders, the current document, its creation when missing.
struct DocumentStartup {
    bool pathFound = false;
    bool loginDocument = false;
    ToolbarPaths paths;
    std::wstring currentDocumentPath;
};
DocumentStartup InitializeToolbarDocuments(HWND owner);

// The shared current toolbar after start-up: a negative default keeps it, a
// default within range becomes it, a larger one makes it 0.
void ApplyDefaultToolbar(int defaultIndex, int tabCount);

} // namespace marlin
