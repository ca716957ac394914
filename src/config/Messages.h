#pragma once
// Captions of the product's message boxes.
namespace marlin {

inline constexpr wchar_t kCaption[] = L"Marlin Toolbar";
// The document-creation messages carry this spelling.
inline constexpr wchar_t kDocumentCaption[] = L"Marlin ToolBar";
inline constexpr wchar_t kPluginSdkCaption[] = L"Marlin Toolbar Plugin API SDK";

} // namespace marlin
