// The simple-text shortcut editor (template 44).
#pragma once

#include "app/editors/text_editor_base.h"

namespace kx {

class SimpleTextEditor final : public TextEditorBase {
public:
    using TextEditorBase::TextEditorBase;

private:
    int TemplateId() const override;
    ShortcutKind Kind() const override { return ShortcutKind::SimpleText; }
    const wchar_t* Title(bool isNew) const override {
        return isNew ? L"New Simple Text Shortcut" : L"Edit Simple Text Shortcut";
    }
    const wchar_t* HelpTopic() const override { return L"editsimple"; }
    const wchar_t* ConvertTooltip() const override { return L"Convert to rich text"; }
    int ExpansionId() const override;
    void InitExpansion() override;
    bool ExpansionEmpty() override;
    std::vector<FileFilter> ImportFilters() const override { return {{L"Plain Text Format", L"*.txt"}}; }
    void ImportBytes(const std::string& bytes) override;
    void FillOutcome(EditorOutcome& out) override;
};

}  // namespace kx
