// A sample plug-in library: FetchData answers a button description with a
// drop-down menu, the same every time. A comment before it records the place
// and the toolbar index it was given.
//
// A file FetchData.txt beside the library replaces the answer, for tests of
// misbehaving plug-ins: "#fault" writes through a null pointer, "#hang" never
// returns, "#null" leaves the result null; any other text is the answer.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

#if defined(SAMPLE_PLUGIN_EBAY)
constexpr wchar_t kDescription[] =
    L"<ButtDesc name=\"EBay\" img=\"Ebay.ico\" ToolTipText=\"Ebay\" UrlString=\"http://www.ebay.example/\""
    L" newwindow=\"no\">"
    L"<Item caption=\"Today's deals\" img=\"Ebay.ico\" UrlString=\"http://deals.ebay.example/today\" newwindow=\"no\">"
    L"<SubItem caption=\"Electronics\" UrlString=\"http://deals.ebay.example/today?c=electronics&amp;sort=price\"/>"
    L"<SubItem caption=\"Home and garden\" UrlString=\"http://deals.ebay.example/today?c=home&amp;sort=price\"/>"
    L"<SubItem caption=\"Collectables\" UrlString=\"http://deals.ebay.example/today?c=collect&amp;sort=price\"/>"
    L"</Item>"
    L"<Item caption=\"Ending soon\" img=\"Ebay.ico\" UrlString=\"http://www.ebay.example/ending\" newwindow=\"yes\"/>"
    L"<Item caption=\"Settings\" img=\"pluginsettings.ico\" ToolTipText=\"Settings\"/>"
    L"</ButtDesc>";
#elif defined(SAMPLE_PLUGIN_YOUTUBE)
constexpr wchar_t kDescription[] =
    L"<ButtDesc name=\"YouTube\" img=\"YouTube.ico\" ToolTipText=\"YouTube Plugin\""
    L" UrlString=\"http://www.youtube.example/\" newwindow=\"no\">"
    L"<Item caption=\"Popular videos\" img=\"YouTube.ico\" UrlString=\"http://www.youtube.example/popular\">"
    L"<SubItem caption=\"Music\" UrlString=\"http://www.youtube.example/popular?topic=music\"/>"
    L"<SubItem caption=\"Science\" UrlString=\"http://www.youtube.example/popular?topic=science\"/>"
    L"<SubItem caption=\"Travel\" UrlString=\"http://www.youtube.example/popular?topic=travel\"/>"
    L"</Item>"
    L"<Item caption=\"Most recent\" img=\"YouTube.ico\" UrlString=\"http://www.youtube.example/recent\"/>"
    L"<Item caption=\"Settings\" img=\"pluginsettings.ico\" ToolTipText=\"Settings\"/>"
    L"</ButtDesc>";
#else
#error "Define SAMPLE_PLUGIN_EBAY or SAMPLE_PLUGIN_YOUTUBE"
#endif

HMODULE ThisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// The text of FetchData.txt beside the library (UTF-8), if there is one.
bool ScriptedAnswer(std::wstring& answer)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring file(path);
    file = file.substr(0, file.find_last_of(L'\\') + 1) + L"FetchData.txt";
    FILE* stream = _wfopen(file.c_str(), L"rb");
    if (!stream) return false;
    std::string bytes;
    char buffer[4096];
    for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) bytes.append(buffer, read);
    std::fclose(stream);
    answer.resize(bytes.size());
    answer.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                            answer.data(), static_cast<int>(answer.size()))));
    return true;
}

} // namespace

extern "C" __declspec(dllexport) int __cdecl FetchData(RECT place, int toolbarIndex, BSTR* result)
{
    if (!result) return 0;
    std::wstring answer;
    if (ScriptedAnswer(answer)) {
        if (answer.starts_with(L"#fault")) {
            // Read from memory, so the compiler cannot turn the write into a trap instruction.
            volatile int* volatile nowhere = nullptr;
            *nowhere = 1;
        }
        if (answer.starts_with(L"#hang")) ::Sleep(INFINITE);
        if (answer.starts_with(L"#null")) return 0;
    } else {
        wchar_t note[128];
        swprintf(note, 128, L"<!-- place %ld,%ld,%ld,%ld toolbar %d -->", place.left, place.top, place.right,
                 place.bottom, toolbarIndex);
        answer = std::wstring(note) + kDescription;
    }
    *result = ::SysAllocStringLen(answer.data(), static_cast<UINT>(answer.size()));
    return *result ? 1 : 0;
}
