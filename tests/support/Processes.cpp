#include "Processes.h"

#include "ScriptedEnvironment.h"

#include "platform/UniqueHandle.h"

#include <map>
#include <shellapi.h>

namespace marlin::test {

namespace {

std::map<std::wstring, ChildFunction>& Children()
{
    static std::map<std::wstring, ChildFunction> children;
    return children;
}

} // namespace

void* StartProgram(const std::wstring& program, const std::wstring& arguments)
{
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return nullptr;
    }
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

ChildRegistration::ChildRegistration(const wchar_t* name, ChildFunction function) { Children()[name] = function; }

std::wstring CurrentProgram()
{
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    return std::wstring(buffer, length);
}

int WaitChild(void* process, unsigned timeoutMs)
{
    if (!process) return -1;
    unique_handle owned(static_cast<HANDLE>(process));
    if (::WaitForSingleObject(owned.get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(owned.get(), 99);
        return -2;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(owned.get(), &code);
    return static_cast<int>(code);
}

void* StartChild(const std::wstring& program, const std::wstring& name, const std::wstring& arguments)
{
    return StartProgram(program, L"--child " + name + L" " + arguments);
}

bool RunChildIfAsked(int& exitCode)
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return false;
    std::vector<std::wstring> args(argv, argv + argc);
    ::LocalFree(argv);
    if (args.size() < 3 || args[1] != L"--child") return false;
    auto found = Children().find(args[2]);
    // A child runs in the scripted environment, as the tests that start it do.
    SetEnvironment(&ScriptedEnvironment::Instance());
    exitCode = found == Children().end() ? 98 : found->second(std::vector<std::wstring>(args.begin() + 3, args.end()));
    return true;
}

} // namespace marlin::test
