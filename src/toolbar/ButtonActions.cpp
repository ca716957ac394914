#include "ButtonActions.h"

#include "DragDropButtonInfo.h"
#include "document/ButtonOperations.h"
#include "document/SharedInstanceState.h"
#include "document/ToolbarOperations.h"
#include "platform/Files.h"

namespace marlin {

namespace {

// The button as the user saw it when asked, and the toolbar it belongs to.
struct ButtonTarget {
    ToolbarRef toolbar;
    ButtonIdentity identity;
    std::wstring toolTip;
};

std::optional<ButtonTarget> TargetOf(const IToolbarCommandHost& host, size_t buttonIndex)
{
    const ToolbarButton* button = host.Row().At(buttonIndex);
    const RowDocument& document = host.Document();
    if (!button || button->IsChevron() || !document.signedIn || document.shownToolbar < 0 ||
        document.shownToolbar >= static_cast<int>(document.toolbarNames.size())) {
        return std::nullopt;
    }
    const int shown = document.shownToolbar;
    return ButtonTarget{{document.toolbarNames[static_cast<size_t>(shown)], shown + 1},
                        {button->position, button->caption, button->url},
                        button->toolTip};
}

// The row may have been rebuilt while the user was asked (another window's
// edit): the button must still be where it was, as it was.
bool StillThere(const IToolbarCommandHost& host, const ButtonTarget& target)
{
    const RowDocument& document = host.Document();
    if (!::IsWindow(host.OwnerWindow()) || !document.signedIn || document.shownToolbar + 1 != target.toolbar.tabId ||
        document.toolbarNames[static_cast<size_t>(document.shownToolbar)] != target.toolbar.name) {
        return false;
    }
    for (const ToolbarButton& button : host.Row().Model()) {
        if (button.position == target.identity.id) {
            return button.caption == target.identity.caption && button.url == target.identity.url;
        }
    }
    return false;
}

void Changed(IToolbarCommandHost& host)
{
    RaiseChange(SharedState().ButtonEditChanged);
    if (::IsWindow(host.OwnerWindow())) host.Rebuild(host.Document().shownToolbar);
}

} // namespace

int ButtonContextAction(IToolbarCommandHost& host, const std::wstring& action, size_t buttonIndex)
{
    const auto target = TargetOf(host, buttonIndex);
    if (!target) return 0;
    const CButtonOperations operations;
    if (action == kActionDelete) {
        const std::wstring question = CToolbarOperations::RemoveButtonQuestion(target->identity.caption);
        if (!CToolbarOperations::Confirm(host.OwnerWindow(), question)) return 0;
        // The delete finds the button again by its identity.
        if (!operations.DeleteButton(target->toolbar, target->identity)) return 0;
    } else if (action == kActionProperties) {
        CDragDropButtonInfo dialog(CDragDropButtonInfo::Mode::ModifyButton,
                                   {target->identity.caption, target->toolTip, target->identity.url});
        if (dialog.DoModal(host.OwnerWindow()) != IDOK || !StillThere(host, *target)) return 0;
        const ButtonInfoTexts& texts = dialog.Texts();
        if (!operations.SetButtonProperties(target->toolbar, target->identity.id, texts.name, texts.url, texts.middle)) {
            return 0;
        }
    } else if (action == kActionChangeIcon) {
        const std::wstring path = ChooseIconFile(host.OwnerWindow());
        if (path.empty() || !StillThere(host, *target)) return 0;
        if (!operations.ChangeButtonIcon(target->toolbar, target->identity.id, path)) return 0;
    } else {
        return 0;
    }
    Changed(host);
    return 1;
}

bool AddToolbarThroughDialog(IToolbarCommandHost& host)
{
    if (!host.Document().signedIn) return false;
    CDragDropButtonInfo dialog(CDragDropButtonInfo::Mode::AddToolbar, {});
    if (dialog.DoModal(host.OwnerWindow()) != IDOK || !::IsWindow(host.OwnerWindow())) return false;
    if (!CToolbarOperations().AddToolbarFromMenu(dialog.Texts().name, dialog.Texts().middle)) return false;
    host.Rebuild(SharedState().CurrentToolbar);
    return true;
}

bool ModifyToolbarThroughDialog(IToolbarCommandHost& host, int toolbarIndex)
{
    const RowDocument& document = host.Document();
    // The first toolbar is neither modified nor removed from the menu.
    if (!document.signedIn || toolbarIndex < 1 || toolbarIndex >= static_cast<int>(document.toolbarNames.size())) {
        return false;
    }
    const std::wstring name = document.toolbarNames[static_cast<size_t>(toolbarIndex)];
    // The toolbar's icon as the document names it: a bare name lives in the image folder.
    std::wstring icon;
    if (auto login = LoadToolbarDocument(LoginDocumentPath())) {
        const std::vector<XmlElement> tabs = TabElements(*login);
        if (toolbarIndex < static_cast<int>(tabs.size())) icon = AttributeText(tabs[toolbarIndex].Get(), L"img");
        if (!icon.empty() && icon.find(L'\\') == std::wstring::npos) icon = host.Startup().paths.imageFolder + icon;
    }
    CDragDropButtonInfo dialog(CDragDropButtonInfo::Mode::ModifyToolbar, {name, icon, {}});
    if (dialog.DoModal(host.OwnerWindow()) != IDOK || !::IsWindow(host.OwnerWindow())) return false;
    // Another window may have changed the toolbars meanwhile.
    const RowDocument& now = host.Document();
    if (toolbarIndex >= static_cast<int>(now.toolbarNames.size()) || now.toolbarNames[toolbarIndex] != name) return false;
    if (!CToolbarOperations().ModifyToolbar(toolbarIndex + 1, dialog.Texts().name, dialog.Texts().middle)) return false;
    host.Rebuild(SharedState().CurrentToolbar);
    return true;
}

} // namespace marlin
