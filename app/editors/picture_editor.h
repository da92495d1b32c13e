// The picture shortcut editor (template 46): a keyword, a picture file, its
// pasted size as a percentage or in pixels, and a preview. On OK the picture
// is encoded into the document the shortcut stores.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/editors/editor_request.h"
#include "app/editors/picture_fields.h"
#include "app/editors/text_editor_base.h"
#include "app/win/balloon_tip.h"
#include "app/win/modal_dialog.h"
#include "picture/image_codec.h"
#include "platform/win32/handles.h"

namespace kx {

class PictureEditor final : public ModalDialog {
public:
    PictureEditor(const EditorRequest& request, EditorServices services);
    ~PictureEditor() override;
    EditorOutcome Open(HWND owner);

private:
    bool OnInit() override;
    void OnOk() override;
    void OnCommand(int id, int code) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // An existing shortcut's picture, written where the encoder can read it
    // again under the name it was stored with.
    void OpenStoredPicture();
    void ImportImage();
    // Decodes the file for the preview and its own size; the size fields
    // then show `percent` of it.
    void LoadPicture(const std::u16string& path, int percent);
    void ShowSize(const PictureSize& size);
    void OnSizeTyped(int field);
    void ShowPreview();

    const EditorRequest& request_;
    EditorServices services_;
    EditorOutcome outcome_;
    std::unique_ptr<ImageCodec> codec_;
    Bitmap picture_;          // the file in the path field, decoded
    std::u16string storedCopy_;  // the temporary file of an edited picture
    UniqueBitmap preview_;
    UniqueWindow tooltips_;
    BalloonTip balloon_;
    bool showingSize_ = false;  // the fields are being set, not typed
};

}  // namespace kx
