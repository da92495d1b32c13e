#include "app/editors/simple_text_editor.h"

#include "app/editors/text_import.h"
#include "app/resource_ids.h"

namespace kx {
namespace {

// Edit controls break lines with CR LF.
std::wstring WithCrLf(std::u16string_view text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) out.push_back(L'\r');
        out.push_back(wchar_t(text[i]));
    }
    return out;
}

}  // namespace

int SimpleTextEditor::TemplateId() const { return IDD_SIMPLE_TEXT; }
int SimpleTextEditor::ExpansionId() const { return IDC_SIMPLE_EXPANSION; }

void SimpleTextEditor::InitExpansion() { Item(IDC_SIMPLE_EXPANSION).SetText(std::wstring_view(WithCrLf(request_.plain))); }

bool SimpleTextEditor::ExpansionEmpty() { return ::GetWindowTextLengthW(Item(IDC_SIMPLE_EXPANSION)) == 0; }

void SimpleTextEditor::ImportBytes(const std::string& bytes) {
    Item(IDC_SIMPLE_EXPANSION).SetText(std::wstring_view(WithCrLf(PlainTextFromImport(bytes))));
}

void SimpleTextEditor::FillOutcome(EditorOutcome& out) {
    out.kind = out.end == EditorEnd::Convert ? ShortcutKind::RichText : ShortcutKind::SimpleText;
    out.plain = U(Item(IDC_SIMPLE_EXPANSION).Text());
    out.rich = out.end == EditorEnd::Convert ? PlainTextToRtf(out.plain) : std::string();
}

}  // namespace kx
