#include "app/editors/rich_edit_text.h"

#include <richedit.h>

#include <cstring>

namespace kx {
namespace {

struct StreamSource {
    std::string_view data;
    size_t at = 0;
};

DWORD CALLBACK AppendOut(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer), size_t(count));
    *done = count;
    return 0;
}

DWORD CALLBACK ReadIn(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t n = std::min(size_t(count), source->data.size() - source->at);
    std::memcpy(buffer, source->data.data() + source->at, n);
    source->at += n;
    *done = LONG(n);
    return 0;
}

CHARFORMAT2W Format(DWORD mask) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    cf.dwMask = mask;
    return cf;
}

void ApplyToSelection(HWND edit, CHARFORMAT2W& cf) {
    ::SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

DWORD MaskOf(DWORD effect) {
    switch (effect) {
    case CFE_BOLD: return CFM_BOLD;
    case CFE_ITALIC: return CFM_ITALIC;
    case CFE_UNDERLINE: return CFM_UNDERLINE;
    case CFE_STRIKEOUT: return CFM_STRIKEOUT;
    default: return 0;
    }
}

}  // namespace

std::string RichEditRtf(HWND edit) {
    std::string out;
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&out), 0, &AppendOut};
    ::SendMessageW(edit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return out;
}

void SetRichEditRtf(HWND edit, std::string_view rtf) {
    StreamSource source{rtf};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, &ReadIn};
    ::SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

std::wstring RichEditPlainText(HWND edit) {
    GETTEXTLENGTHEX length{GTL_USECRLF | GTL_NUMCHARS, 1200};
    const LRESULT n = ::SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    std::wstring text(size_t(n > 0 ? n : 0) + 1, L'\0');
    GETTEXTEX get{};
    get.cb = DWORD(text.size() * sizeof(wchar_t));
    get.flags = GT_USECRLF;
    get.codepage = 1200;
    const LRESULT got = ::SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                       reinterpret_cast<LPARAM>(text.data()));
    text.resize(size_t(got > 0 ? got : 0));
    return text;
}

void SetSelectionEffect(HWND edit, DWORD effect, bool on) {
    CHARFORMAT2W cf = Format(MaskOf(effect));
    cf.dwEffects = on ? effect : 0;
    ApplyToSelection(edit, cf);
}

DWORD SelectionEffects(HWND edit) {
    CHARFORMAT2W cf = Format(CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT);
    ::SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    DWORD effects = 0;
    for (DWORD e : {DWORD(CFE_BOLD), DWORD(CFE_ITALIC), DWORD(CFE_UNDERLINE), DWORD(CFE_STRIKEOUT)})
        if ((cf.dwMask & MaskOf(e)) && (cf.dwEffects & e)) effects |= e;
    return effects;
}

void SetSelectionTextColour(HWND edit, COLORREF colour) {
    CHARFORMAT2W cf = Format(CFM_COLOR);
    cf.crTextColor = colour;
    ApplyToSelection(edit, cf);
}

void SetSelectionBackColour(HWND edit, COLORREF colour) {
    CHARFORMAT2W cf = Format(CFM_BACKCOLOR);
    cf.crBackColor = colour;
    ApplyToSelection(edit, cf);
}

void SetSelectionPointSize(HWND edit, int points) {
    if (points <= 0 || points > 1638) return;
    CHARFORMAT2W cf = Format(CFM_SIZE);
    cf.yHeight = points * 20;
    ApplyToSelection(edit, cf);
}

int SelectionPointSize(HWND edit) {
    CHARFORMAT2W cf = Format(CFM_SIZE);
    ::SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return (cf.dwMask & CFM_SIZE) ? int(cf.yHeight / 20) : 0;
}

}  // namespace kx
