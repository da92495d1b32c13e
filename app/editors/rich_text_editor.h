// The rich-text shortcut editor (template 45): the rich edit field with its
// bold, italic, underline and strike-out buttons, the two colour pickers
// and the size box.
#pragma once

#include "app/editors/text_editor_base.h"

namespace kx {

class RichTextEditor final : public TextEditorBase {
public:
    using TextEditorBase::TextEditorBase;

private:
    int TemplateId() const override;
    ShortcutKind Kind() const override { return ShortcutKind::RichText; }
    const wchar_t* Title(bool isNew) const override {
        return isNew ? L"New Rich Text Shortcut" : L"Edit Rich Text Shortcut";
    }
    const wchar_t* HelpTopic() const override { return L"editrich"; }
    const wchar_t* ConvertTooltip() const override { return L"Convert to simple text"; }
    int ExpansionId() const override;
    void InitExpansion() override;
    bool ExpansionEmpty() override;
    std::vector<FileFilter> ImportFilters() const override {
        return {{L"Rich Text Format", L"*.rtf"}, {L"Plain Text Format", L"*.txt"}};
    }
    void ImportBytes(const std::string& bytes) override;
    void FillOutcome(EditorOutcome& out) override;
    bool ConfirmConversion() override;
    void RunDialog(HWND owner) override;

    void OnCommand(int id, int code) override;
    INT_PTR OnNotify(NMHDR& header) override;
    void ShowSelectionState();
    void PickColour(bool background);
    void ApplySizeBox();

    COLORREF customColours_[16] = {};
};

}  // namespace kx
