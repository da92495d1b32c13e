#include "app/autocomplete/view_edit_dialog_win32.h"

#include <cstdint>
#include <vector>

#include "app/win/modal_dialog.h"
#include "app/win/wide.h"

namespace kx {
namespace {

constexpr int kIdText = 100;
constexpr size_t kMaxChars = 10000;

// A dialog template in memory: the dialog is small and fixed, and keeping
// it here keeps it beside the code that runs it.
class TemplateWriter {
public:
    void Word(uint16_t w) { bytes_.push_back(uint8_t(w)), bytes_.push_back(uint8_t(w >> 8)); }
    void Dword(uint32_t d) { Word(uint16_t(d)), Word(uint16_t(d >> 16)); }
    void Text(const wchar_t* s) {
        for (; *s; ++s) Word(uint16_t(*s));
        Word(0);
    }
    void Align() {
        while (bytes_.size() % 4) bytes_.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, int id, uint16_t atom, const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Word(uint16_t(x)), Word(uint16_t(y)), Word(uint16_t(cx)), Word(uint16_t(cy));
        Word(uint16_t(id));
        Word(0xFFFF), Word(atom);
        Text(text);
        Word(0);
    }
    std::vector<uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

std::vector<uint8_t> BuildTemplate() {
    TemplateWriter t;
    t.Dword(DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(0);
    t.Word(3);  // items
    t.Word(0), t.Word(0), t.Word(300), t.Word(150);
    t.Word(0), t.Word(0);  // no menu, the standard class
    t.Text(L"View/Edit Suggestion");
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    constexpr uint16_t kButton = 0x0080, kEdit = 0x0081;
    t.Item(ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 7, 7, 286, 116,
           kIdText, kEdit, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 186, 129, 50, 14, IDOK, kButton, L"Save");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 243, 129, 50, 14, IDCANCEL, kButton, L"Cancel");
    return t.Bytes();
}

class ViewEditDialog final : public ModalDialog {
public:
    explicit ViewEditDialog(std::u16string& text) : text_(text) {}

protected:
    bool OnInit() override {
        Item(kIdText).Send(EM_LIMITTEXT, kMaxChars);
        Item(kIdText).SetText(text_);
        return true;
    }
    void OnOk() override {
        text_ = U(Item(kIdText).Text());
        End(IDOK);
    }

private:
    std::u16string& text_;
};

}  // namespace

bool RunViewEditDialog(HWND owner, std::u16string& text) {
    std::u16string edited = text;
    ViewEditDialog dialog(edited);
    const std::vector<uint8_t> bytes = BuildTemplate();
    if (dialog.RunTemplate(owner, bytes.data()) != IDOK) return false;
    text = edited;
    return true;
}

}  // namespace kx
