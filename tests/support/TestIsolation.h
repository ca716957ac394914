#pragma once
// Every test gets a scratch folder, a registry of its own (HKEY_LOCAL_MACHINE,
// HKEY_CURRENT_USER and HKEY_CLASSES_ROOT redirected to scratch keys), the
// scripted environment with its defaults, and fresh process-wide state.
#include "ScriptedEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marlin::test {

class IsolatedTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ScriptedEnvironment& env() { return ScriptedEnvironment::Instance(); }
    // The scratch folder, ending with "\".
    const std::wstring& scratch() const { return m_scratch; }
    // A folder below the scratch folder, created, ending with "\".
    std::wstring MakeFolder(const std::wstring& relative) const;
    // The HKCU subkey the predefined keys are redirected to (for child processes).
    const std::wstring& registryRoot() const { return m_registryRoot; }

private:
    std::wstring m_scratch;
    std::wstring m_registryRoot;
};

// Redirects the three predefined keys to subkeys of HKCU\<root> (created).
void RedirectRegistry(const std::wstring& root);
void RestoreRegistry();

bool WriteTextFile(const std::wstring& path, const std::string& utf8);
std::string ReadTextFile(const std::wstring& path);
// Copies the files of `fromFolder` matching `pattern` into `toFolder`.
void CopyFiles(const std::wstring& fromFolder, const wchar_t* pattern, const std::wstring& toFolder);
// Names of the files (not folders) directly in a folder, sorted.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
// Deletes a folder and everything in it.
void RemoveTree(const std::wstring& folder);
// A Linux build path as Wine sees it ("Z:\...").
std::wstring WinePath(const char* unixPath);

} // namespace marlin::test
