#pragma once
// A signed-in installation, the login document, and helpers to read a saved
// document back.
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "document/ToolbarDocument.h"
#include "support/Installation.h"

#include <string>
#include <vector>

namespace marlin::test {

class DocumentTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        ResetSharedState();
        SharedState().IsLoggedIn = 1;
    }
    void TearDown() override
    {
        ResetSharedState();
        InstallationFixture::TearDown();
    }

    std::wstring login() const { return LoginDocumentPath(); }
    void WriteLogin(const std::wstring& xml) { ASSERT_TRUE(WriteTextFile(login(), ToUtf8(xml))); }

    XmlDocument Saved() const
    {
        auto document = XmlDocument::Create();
        EXPECT_TRUE(document && document->Load(login()));
        return std::move(*document);
    }

    // "Name:TabID/IDGen[ID,ID,...]" per toolbar, to compare whole structures at once.
    static std::wstring Outline(const XmlDocument& document)
    {
        std::wstring text;
        for (const XmlElement& tab : TabElements(document)) {
            text += AttributeText(tab.Get(), L"Name") + L":" + AttributeText(tab.Get(), L"TabID") + L"/" +
                    AttributeText(tab.Get(), L"IDGen") + L"[";
            for (const XmlElement& child : ChildElements(tab.Get())) text += AttributeText(child.Get(), L"ID") + L",";
            if (text.back() == L',') text.pop_back();
            text += L"] ";
        }
        return text;
    }
    std::wstring Outline() const { return Outline(Saved()); }

    // Captions of the Buttons of toolbar `index`, in order.
    static std::vector<std::wstring> Captions(const XmlDocument& document, size_t index)
    {
        std::vector<std::wstring> captions;
        auto tabs = TabElements(document);
        for (const XmlElement& child : index < tabs.size() ? ChildElements(tabs[index].Get()) : std::vector<XmlElement>{}) {
            if (NodeName(child.Get()) == L"Buttons") {
                captions.push_back(AttributeText(FirstChildNamed(child.Get(), L"ButtDesc").Get(), L"name"));
            }
        }
        return captions;
    }

    // Every field of an entry on one line, to compare whole entries at once.
    static std::wstring Describe(const EntryRecord& r)
    {
        return r.caption + L"|" + r.iconPath + (r.iconExists ? L"(exists)|" : L"|") + r.toolTip + L"|" + r.url + L"|" +
               r.keywordSearchUrl + L"|" + r.command + L"|" + r.cid + L"|" + r.catId +
               Format(L"|new=%d slider=%d popup=%d enabled=%d", r.newWindow, r.sliderWindow, r.popup, r.enabled);
    }
};

} // namespace marlin::test
