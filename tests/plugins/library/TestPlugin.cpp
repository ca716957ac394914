// A plug-in library for the tests. What FetchData answers depends on the name
// the test copied it under: Echo (its arguments as a ButtDesc), Empty ("EMPTY"),
// Null (no answer), Huge (one character over the product's bound), Faults (an
// access violation), Bogus (an answer that is no string), Throws (a C++ exception), Hangs (until the test's event is set).
#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <stdexcept>
#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

extern "C" __declspec(dllexport) void __cdecl FetchData(RECT rect, int toolbar, BSTR* data)
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    const std::wstring name = std::wcsrchr(path, L'\\') + 1;
    if (name == L"Echo.dll") {
        wchar_t text[128];
        std::swprintf(text, 128, L"<ButtDesc rect=\"%ld,%ld,%ld,%ld\" toolbar=\"%d\"/>", rect.left, rect.top, rect.right,
                      rect.bottom, toolbar);
        *data = ::SysAllocString(text);
    } else if (name == L"Empty.dll") {
        *data = ::SysAllocString(L"EMPTY");
    } else if (name == L"Huge.dll") {
        *data = ::SysAllocStringLen(nullptr, (1u << 20) + 1);
    } else if (name == L"Faults.dll") {
        int* target = static_cast<int*>(::VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY));
        *reinterpret_cast<volatile int*>(target) = 1;
    } else if (name == L"Bogus.dll") {
        *data = reinterpret_cast<BSTR>(16);
    } else if (name == L"Throws.dll") {
        throw std::runtime_error("plug-in failure");
    } else if (name == L"Hangs.dll") {
        HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, L"MarlinTestPluginRelease");
        ::WaitForSingleObject(release, 60000);
        ::CloseHandle(release);
        *data = ::SysAllocString(L"<ButtDesc late=\"1\"/>");
    }
}
