#pragma once
// The small dialog that names a new or changed toolbar (modes 1 and 2: name
// and image path, with "..." to pick an icon file) or a new or changed button
// (modes 3 and 4: name, tooltip and address). Every field is trimmed and an
// empty one is asked for again; OK hands the three texts back.
#include "platform/Window.h"

#include "resources/resource.h"

#include <string>

namespace marlin {

struct ButtonInfoTexts {
    std::wstring name;
    std::wstring middle; // the tooltip (buttons) or the image path (toolbars)
    std::wstring url;    // buttons only
};

class CDragDropButtonInfo : public Dialog<CDragDropButtonInfo> {
public:
    static constexpr int kDialogId = IDD_DRAGDROP_INFO;
    static constexpr int kMaxNameChars = 20;
    static constexpr int kMaxMiddleChars = 100;
    static constexpr int kMaxUrlChars = 2083;

    enum class Mode { AddToolbar = 1, ModifyToolbar = 2, AddButton = 3, ModifyButton = 4 };

    CDragDropButtonInfo(Mode mode, ButtonInfoTexts proposed) : m_mode(mode), m_texts(std::move(proposed)) {}

    // IDOK when the user confirmed; Texts() then holds what was entered, trimmed.
    using Dialog::DoModal;
    const ButtonInfoTexts& Texts() const noexcept { return m_texts; }

    static const wchar_t* Title(Mode mode) noexcept;

    LRESULT OnInitDialog(WPARAM, LPARAM, bool&);
    LRESULT OnClose(WPARAM, LPARAM, bool&);
    void OnOk(UINT, HWND);
    void OnCancel(UINT, HWND);
    void OnBrowse(UINT, HWND);

    static constexpr MessageEntry<CDragDropButtonInfo> kMessageMap[] = {
        {WM_INITDIALOG, &CDragDropButtonInfo::OnInitDialog},
        {WM_CLOSE, &CDragDropButtonInfo::OnClose},
    };
    static constexpr CommandEntry<CDragDropButtonInfo> kCommandMap[] = {
        {IDOK, &CDragDropButtonInfo::OnOk},
        {IDCANCEL, &CDragDropButtonInfo::OnCancel},
        {IDC_DRAGDROP_BROWSE, &CDragDropButtonInfo::OnBrowse},
    };

private:
    bool ForToolbar() const noexcept { return m_mode == Mode::AddToolbar || m_mode == Mode::ModifyToolbar; }
    std::wstring FieldText(int id) const;
    // Shows `message` and puts the focus on the field; false, for a check that failed.
    bool Ask(const wchar_t* message, int fieldId);

    Mode m_mode;
    ButtonInfoTexts m_texts;
};

// The file-open dialog for an icon file ("Icon Files(*.ico)", the file must
// exist); the chosen path, or "" when the user cancelled.
std::wstring ChooseIconFile(HWND owner);

} // namespace marlin
