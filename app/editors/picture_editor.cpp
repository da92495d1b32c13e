#include "app/editors/picture_editor.h"

#include <commctrl.h>

#include "app/editors/picture_preview.h"
#include "app/resource_ids.h"
#include "app/shell/help_topics.h"
#include "app/win/file_picker.h"
#include "base/text.h"
#include "core/file_paths.h"
#include "core/whole_file.h"
#include "engine/output/picture_html_clip.h"
#include "picture/legacy_picture.h"
#include "picture/metafile_bitmap.h"
#include "picture/picture_encoder.h"

namespace kx {
namespace {

bool FileExists(const std::u16string& path) {
    const DWORD attributes = ::GetFileAttributesW(W(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

PictureEditor::PictureEditor(const EditorRequest& request, EditorServices services)
    : request_(request), services_(services), codec_(MakeSystemImageCodec()) {}

PictureEditor::~PictureEditor() {
    if (!storedCopy_.empty()) ::DeleteFileW(W(storedCopy_).c_str());
}

EditorOutcome PictureEditor::Open(HWND owner) {
    outcome_ = {};
    outcome_.kind = ShortcutKind::Picture;
    outcome_.passwordChecked = request_.passwordChecked;
    Run(owner, IDD_PICTURE);
    return outcome_;
}

bool PictureEditor::OnInit() {
    Self().SetText(std::wstring_view(request_.isNew ? L"New Picture Shortcut" : L"Edit Picture Shortcut"));
    Window keyword = Item(IDC_PICTURE_KEYWORD);
    keyword.Send(EM_LIMITTEXT, 259);
    keyword.Send(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"e.g. TAG"));
    keyword.SetText(request_.keyword);
    Item(IDC_PICTURE_WIDTH).Send(EM_LIMITTEXT, 7);
    Item(IDC_PICTURE_HEIGHT).Send(EM_LIMITTEXT, 7);
    Window slider = Item(IDC_PICTURE_SLIDER);
    slider.Send(TBM_SETRANGE, TRUE, MAKELPARAM(1, kMaxPercent));
    slider.Send(TBM_SETPOS, TRUE, 100);
    Item(IDC_PICTURE_PERCENT).SetText(std::wstring_view(L"100%"));
    AddEditorTips(tooltips_, Self(), {{IDC_PICTURE_IMPORT, L"Import from an image file"}});
    if (!request_.isNew) OpenStoredPicture();
    keyword.Focus();
    return false;
}

void PictureEditor::OpenStoredPicture() {
    PictureDescription stored;
    std::string bmp;
    if (!ReadPictureDescription(request_.rich, stored) || !BmpFileOfMetafile(stored.picture, bmp)) return;
    std::u16string title = SafeFileName(stored.fileName);
    if (title.empty()) title = u"Picture";
    const std::u16string temp = SystemTempFolder();
    if (temp.empty()) return;
    const std::u16string path = JoinPath(temp, title + u".bmp");
    if (!WriteWholeFile(std::filesystem::path(W(path)), bmp)) return;
    storedCopy_ = path;
    Item(IDC_PICTURE_PATH).SetText(path);
    LoadPicture(path, 100);
    // The stored size, which the picture's own may differ from.
    if (picture_.width > 0) ShowSize(SizeForWidth(picture_.width, picture_.height, stored.width));
    showingSize_ = true;
    Item(IDC_PICTURE_HEIGHT).SetText(std::to_wstring(stored.height));
    showingSize_ = false;
}

void PictureEditor::ImportImage() {
    const std::wstring path =
        PickFileToOpen(Self(), L"Select Image File",
                       {{L"Image files(JPEG, PNG, BMP, GIF)", L"*.jpeg;*.jpg;*.png;*.bmp;*.gif"}}, L"");
    if (path.empty()) return;
    Item(IDC_PICTURE_PATH).SetText(std::wstring_view(path));
    LoadPicture(U(path), 100);
}

void PictureEditor::LoadPicture(const std::u16string& path, int percent) {
    picture_ = {};
    if (!codec_ || !codec_->Load(path, picture_)) picture_ = {};
    if (picture_.width > 0) {
        ShowSize(SizeAtPercent(picture_.width, picture_.height, percent));
    } else {
        showingSize_ = true;
        Item(IDC_PICTURE_WIDTH).SetText(std::wstring_view(L""));
        Item(IDC_PICTURE_HEIGHT).SetText(std::wstring_view(L""));
        showingSize_ = false;
    }
    ShowPreview();
}

void PictureEditor::ShowSize(const PictureSize& size) {
    showingSize_ = true;
    Item(IDC_PICTURE_SLIDER).Send(TBM_SETPOS, TRUE, size.percent);
    Item(IDC_PICTURE_PERCENT).SetText(std::to_wstring(size.percent) + L"%");
    Item(IDC_PICTURE_WIDTH).SetText(std::to_wstring(size.width));
    Item(IDC_PICTURE_HEIGHT).SetText(std::to_wstring(size.height));
    showingSize_ = false;
}

void PictureEditor::OnSizeTyped(int field) {
    if (showingSize_ || picture_.width <= 0) return;
    const std::u16string text = U(Item(field).Text());
    // A zero is left as typed, for the check on OK to name it.
    const int value = SizeFieldValue(text);
    if (text.empty() || text[0] == u'0' || value <= 0) return;
    const PictureSize size = field == IDC_PICTURE_WIDTH ? SizeForWidth(picture_.width, picture_.height, value)
                                                        : SizeForHeight(picture_.width, picture_.height, value);
    const int typed = field == IDC_PICTURE_WIDTH ? size.width : size.height;
    showingSize_ = true;
    Item(IDC_PICTURE_SLIDER).Send(TBM_SETPOS, TRUE, size.percent);
    Item(IDC_PICTURE_PERCENT).SetText(std::to_wstring(size.percent) + L"%");
    // The typed field is rewritten only when the slider's range took it back.
    if (typed != value) Item(field).SetText(std::to_wstring(typed));
    const int other = field == IDC_PICTURE_WIDTH ? IDC_PICTURE_HEIGHT : IDC_PICTURE_WIDTH;
    Item(other).SetText(std::to_wstring(field == IDC_PICTURE_WIDTH ? size.height : size.width));
    showingSize_ = false;
}

void PictureEditor::ShowPreview() {
    Window area = Item(IDC_PICTURE_PREVIEW);
    const RECT r = area.ClientRect();
    Bitmap fitted;
    if (picture_.width > 0 && codec_ && FitPicture(*codec_, picture_, r.right - 4, r.bottom - 4, fitted))
        preview_ = MakeScreenBitmap(fitted);
    else
        preview_.Reset(nullptr);
    area.Send(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(preview_.Get()));
    ::InvalidateRect(area, nullptr, TRUE);
}

bool PictureEditor::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
    if (message != WM_HSCROLL || reinterpret_cast<HWND>(lParam) != Item(IDC_PICTURE_SLIDER).Handle()) return false;
    const int percent = int(Item(IDC_PICTURE_SLIDER).Send(TBM_GETPOS));
    if (picture_.width > 0) {
        ShowSize(SizeAtPercent(picture_.width, picture_.height, percent));
    } else {
        Item(IDC_PICTURE_PERCENT).SetText(std::to_wstring(percent) + L"%");
    }
    result = 0;
    return true;
}

void PictureEditor::OnOk() {
    const Window keyword = Item(IDC_PICTURE_KEYWORD);
    if (!EditorOkStart(request_, services_, outcome_, balloon_, keyword, u"Please enter a keyword.")) return;
    const std::u16string path = U(Item(IDC_PICTURE_PATH).Text());
    const std::u16string width = U(Item(IDC_PICTURE_WIDTH).Text());
    const std::u16string height = U(Item(IDC_PICTURE_HEIGHT).Text());
    MessagePrompt& prompt = services_.ctx.prompt;
    const PictureFieldCheck check = CheckPictureFields(path, FileExists(path), width, height);
    if (check != PictureFieldCheck::Ok) {
        const FieldMessage m = PictureFieldMessage(check);
        prompt.ShowMessage(MessageIcon::Warning, m.title, m.text);
        return;
    }
    std::string document;
    {
        BusyScope wait(services_.ctx.io.cursor);
        if (!codec_ || !EncodePicture(document, path, SizeFieldValue(width), SizeFieldValue(height), *codec_,
                                      SystemTempFolder())) {
            if (FileExists(path))
                prompt.ShowMessage(MessageIcon::Error, u"File Failed",
                                   u"Could not load the specified file. Could be corrupt or locked by another "
                                   u"application.");
            else
                prompt.ShowMessage(MessageIcon::Error, u"File Missing",
                                   u"Cannot load from specified file. The file is missing.");
            return;
        }
    }
    if (!KeywordUnique(request_, balloon_, keyword)) return;
    outcome_.end = EditorEnd::Accepted;
    outcome_.kind = ShortcutKind::Picture;
    outcome_.keyword = AsciiUpper(U(Item(IDC_PICTURE_KEYWORD).Text()));
    outcome_.plain.clear();
    outcome_.rich = std::move(document);
    // The store's insert checks the keyword again under its lock.
    if (request_.save && request_.save(outcome_) == StoreResult::KeywordInUse) {
        outcome_.end = EditorEnd::Cancelled;
        ShowKeywordInUse(balloon_, keyword);
        return;
    }
    End(IDOK);
}

void PictureEditor::OnCommand(int id, int code) {
    switch (id) {
    case IDC_PICTURE_IMPORT:
        ImportImage();
        break;
    case IDC_PICTURE_PREVIEW_OUTPUT: {
        if (picture_.width <= 0 || !codec_) break;
        const int width = SizeFieldValue(U(Item(IDC_PICTURE_WIDTH).Text()));
        const int height = SizeFieldValue(U(Item(IDC_PICTURE_HEIGHT).Text()));
        if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) break;
        ShowPictureOutput(Self(), *codec_, picture_, width, height);
        break;
    }
    case IDC_PICTURE_WIDTH:
    case IDC_PICTURE_HEIGHT:
        if (code == EN_CHANGE) OnSizeTyped(id);
        break;
    case IDHELP:
        OpenHelpTopic(Self(), L"editpicture");
        break;
    default:
        break;
    }
}

}  // namespace kx
