#include "platform/Files.h"
#include "platform/XmlDom.h"
#include "support/TestIsolation.h"

using namespace marlin;
using namespace marlin::test;

namespace {

constexpr wchar_t kToolbar[] =
    L"<toolbar version=\"2\">"
    L"<button TabID=\"7\" tabid=\"8\" id=\"b1\"/>"
    L"<!-- a comment -->some text"
    L"<group name=\"g\"><button id=\"b2\"/></group>"
    L"</toolbar>";

class XmlDomTest : public IsolatedTest {
protected:
    XmlDocument Parse(const std::wstring& text)
    {
        std::optional<XmlDocument> document = XmlDocument::Create();
        EXPECT_TRUE(document.value().LoadXml(text));
        return std::move(*document);
    }
};

} // namespace

TEST_F(XmlDomTest, AttributeAccessByNameAndPosition)
{
    XmlDocument document = Parse(kToolbar);
    std::vector<XmlElement> children = ChildElements(document.Root().Get());
    // The comment and the text between the elements are not elements.
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(NodeName(children[1].Get()), L"group");
    IXMLDOMNode* button = children[0].Get();

    EXPECT_EQ(GetAttributeNoCase(button, L"tabid"), L"7");
    EXPECT_EQ(GetAttributeNoCase(button, L"TABID"), L"7");
    EXPECT_EQ(GetAttributeNoCase(button, L"tab"), std::nullopt);
    EXPECT_EQ(GetAttribute(button, L"tabid"), L"8");
    EXPECT_EQ(GetAttribute(button, L"TabID"), L"7");
    EXPECT_EQ(GetAttribute(button, L"TABID"), std::nullopt);

    ASSERT_EQ(AttributeCount(button), 3);
    using Pair = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(AttributeAt(button, 0), Pair(L"TabID", L"7"));
    EXPECT_EQ(AttributeAt(button, 2), Pair(L"id", L"b1"));
    EXPECT_EQ(AttributeAt(button, 3), std::nullopt);
    EXPECT_EQ(AttributeAt(button, -1), std::nullopt);

    ASSERT_TRUE(SetAttributeValueAt(button, 1, L"9"));
    EXPECT_EQ(GetAttribute(button, L"tabid"), L"9");
    EXPECT_EQ(GetAttribute(button, L"TabID"), L"7");
    EXPECT_FALSE(SetAttributeValueAt(button, 3, L"x"));

    // The document node has no attributes; a leaf element has no element children.
    EXPECT_EQ(GetAttribute(document.get(), L"version"), std::nullopt);
    EXPECT_TRUE(ChildElements(button).empty());
    EXPECT_EQ(GetAttribute(nullptr, L"id"), std::nullopt);
}

TEST_F(XmlDomTest, BadInputFailsCleanly)
{
    std::optional<XmlDocument> document = XmlDocument::Create();
    ASSERT_TRUE(document);
    EXPECT_FALSE(document->LoadXml(L"<toolbar><button></toolbar>"));
    EXPECT_FALSE(document->Root());
    EXPECT_FALSE(document->LoadXml(L""));
    EXPECT_FALSE(document->Load(scratch() + L"missing.xml"));

    ASSERT_TRUE(WriteTextFile(scratch() + L"truncated.xml", "<toolbar><button id=\"b1\""));
    EXPECT_FALSE(document->Load(scratch() + L"truncated.xml"));

    // Hostile documents: deep nesting and a huge attribute. Loading may fail,
    // but must return, and whatever loads must be whole.
    std::wstring deep;
    for (int i = 0; i < 10000; ++i) deep += L"<a>";
    for (int i = 0; i < 10000; ++i) deep += L"</a>";
    document->LoadXml(deep);

    const std::wstring huge(5 * 1024 * 1024, L'v');
    if (document->LoadXml(L"<a v=\"" + huge + L"\"/>")) {
        EXPECT_EQ(GetAttribute(document->Root().Get(), L"v"), huge);
    }
}

TEST_F(XmlDomTest, SavedDocumentLoadsBackAndAFailedSaveKeepsTheOldFile)
{
    XmlDocument document = Parse(kToolbar);
    const std::wstring missingFolder = scratch() + L"missing\\toolbar.xml";
    EXPECT_FALSE(document.SaveAtomically(missingFolder));
    EXPECT_FALSE(FolderExists(scratch() + L"missing"));

    // An old file held open by another reader cannot be replaced: it stays as
    // it was, and the temporary file is cleaned up.
    const std::wstring path = scratch() + L"toolbar.xml";
    ASSERT_TRUE(WriteTextFile(path, "<old/>"));
    {
        unique_file reader(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        EXPECT_FALSE(document.SaveAtomically(path));
    }
    EXPECT_EQ(ReadTextFile(path), "<old/>");
    EXPECT_EQ(FilesIn(scratch()), std::vector<std::wstring>{L"toolbar.xml"});

    ASSERT_TRUE(document.SaveAtomically(path));
    std::optional<XmlDocument> loaded = XmlDocument::Create();
    ASSERT_TRUE(loaded && loaded->Load(path));
    EXPECT_EQ(loaded->Xml(), document.Xml());
    EXPECT_EQ(GetAttribute(loaded->Root().Get(), L"version"), L"2");
}

TEST_F(XmlDomTest, AtomicSavesWriteTheDeclaredEncodingAndNothingThatWouldNotLoad)
{
    const std::wstring utf16 = L"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-16\"?><a v=\"\u00e9\"/>";
    const std::string cases[] = {std::string(reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2),
                                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a v=\"\xc3\xa9\"/>",
                                 "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a v=\"x\"/>", "<a v=\"x\"/>"};
    const std::wstring path = scratch() + L"doc.xml";
    for (const std::string& bytes : cases) {
        ASSERT_TRUE(WriteTextFile(path, bytes));
        XmlDocument document = Parse(L"<x/>"), again = Parse(L"<x/>");
        ASSERT_TRUE(document.Load(path) && document.SaveAtomically(path) && again.Load(path)) << bytes;
        EXPECT_EQ(GetAttribute(again.Root().Get(), L"v"), GetAttribute(document.Root().Get(), L"v"));
        ASSERT_TRUE(document.Save(scratch() + L"plain.xml"));
        const std::string saved = ReadTextFile(path);
        if (&bytes == &cases[0]) EXPECT_EQ(saved.substr(0, 2), "\xff\xfe") << "UTF-16 as declared";
        else EXPECT_EQ(saved, ReadTextFile(scratch() + L"plain.xml")) << "written as before";
    }
    // A non-character makes a document whose saved text does not parse.
    const std::string kept = ReadTextFile(path);
    XmlDocument odd = Parse(L"<a/>");
    ASSERT_TRUE(SetText(odd.Root().Get(), L"\xFFFE"));
    EXPECT_FALSE(odd.SaveAtomically(path));
    EXPECT_EQ(ReadTextFile(path), kept);
    EXPECT_EQ(FilesIn(scratch()).size(), 2u) << "no temporary file left";
}
