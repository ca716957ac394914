#pragma once
// Test programs that run copies of themselves: `program --child NAME args...`
// runs the child function registered under NAME instead of the tests.
#include <functional>
#include <string>
#include <vector>

namespace marlin::test {

using ChildFunction = int (*)(const std::vector<std::wstring>& args);

// Registers a child function at static-initialisation time.
struct ChildRegistration {
    ChildRegistration(const wchar_t* name, ChildFunction function);
};

// Starts `program` with `arguments`; the process handle (null when it could
// not start) is owned by the caller.
void* StartProgram(const std::wstring& program, const std::wstring& arguments);
// Starts the running test program as a child without waiting; the handle is
// owned by the caller.
void* StartChild(const std::wstring& program, const std::wstring& name, const std::wstring& arguments);
// Waits for a started program and closes its handle; answers its exit code (-1
// when it could not start, -2 when it did not end within the timeout).
int WaitChild(void* process, unsigned timeoutMs = 60000);
std::wstring CurrentProgram();

// Called by main: answers true and sets exitCode when the command line asks for a child.
bool RunChildIfAsked(int& exitCode);

} // namespace marlin::test
