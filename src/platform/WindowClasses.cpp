#include "Window.h"

#include <mutex>
#include <string>
#include <vector>

namespace marlin {

namespace {

struct RegisteredClasses {
    std::mutex lock;
    std::vector<std::wstring> names;
};

RegisteredClasses& Classes()
{
    static RegisteredClasses classes;
    return classes;
}

} // namespace

void RememberWindowClass(const wchar_t* name) noexcept
{
    try {
        std::lock_guard guard(Classes().lock);
        Classes().names.emplace_back(name);
    } catch (...) {
    }
}

void UnregisterWindowClasses() noexcept
{
    std::lock_guard guard(Classes().lock);
    for (const std::wstring& name : Classes().names) ::UnregisterClassW(name.c_str(), ModuleInstance());
    Classes().names.clear();
}

} // namespace marlin
