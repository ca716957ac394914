#pragma once
// A data folder with XMLS and Images, the login document path, and helpers to
// read a saved document back.
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "document/ToolbarDocument.h"
#include "platform/Strings.h"
#include "platform/Registry.h"
#include "support/Processes.h"
#include "support/TestIsolation.h"

#include <string>
#include <vector>

namespace marlin::test {

class DocumentTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        m_data = MakeFolder(L"Data");
        MakeFolder(L"Data\\XMLS");
        MakeFolder(L"Data\\Images");
        g_ApplicationPath = m_data;
        ResetSharedState();
        SharedState().IsLoggedIn = 1;
    }
    void TearDown() override
    {
        ResetSharedState();
        IsolatedTest::TearDown();
    }

    const std::wstring& data() const { return m_data; }
    std::wstring login() const { return LoginDocumentPath(); }

    void WriteLogin(const std::wstring& xml) { ASSERT_TRUE(WriteTextFile(login(), ToUtf8(xml))); }

    XmlDocument Saved(const std::wstring& path = {}) const
    {
        auto document = XmlDocument::Create();
        EXPECT_TRUE(document && document->Load(path.empty() ? login() : path));
        return std::move(*document);
    }

    // "Name:TabID/IDGen[ID,ID,...]" per toolbar, to compare whole structures at once.
    static std::wstring Outline(const XmlDocument& document)
    {
        std::wstring text;
        for (const XmlElement& tab : TabElements(document)) {
            text += AttributeText(tab.Get(), L"Name") + L":" + AttributeText(tab.Get(), L"TabID") + L"/" +
                    AttributeText(tab.Get(), L"IDGen") + L"[";
            bool first = true;
            for (const XmlElement& child : ChildElements(tab.Get())) {
                if (!first) text += L",";
                first = false;
                text += AttributeText(child.Get(), L"ID");
            }
            text += L"] ";
        }
        return text;
    }

    // Captions of the Buttons of toolbar `index`, in order.
    static std::vector<std::wstring> Captions(const XmlDocument& document, size_t index)
    {
        std::vector<std::wstring> captions;
        auto tabs = TabElements(document);
        if (index >= tabs.size()) return captions;
        for (const XmlElement& child : ChildElements(tabs[index].Get())) {
            if (NodeName(child.Get()) != L"Buttons") continue;
            captions.push_back(AttributeText(FirstChildNamed(child.Get(), L"ButtDesc").Get(), L"name"));
        }
        return captions;
    }

    // Names of the attributes of `node`, in document order.
    static std::wstring AttributeOrder(IXMLDOMNode* node)
    {
        std::wstring names;
        for (long i = 0; i < AttributeCount(node); ++i) {
            if (i) names += L" ";
            names += AttributeAt(node, i)->first;
        }
        return names;
    }

private:
    std::wstring m_data;
};

} // namespace marlin::test
