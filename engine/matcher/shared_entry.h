// What the matcher hands on of a shortcut from the shared file. The file is
// written by whoever may change it, not by the user who expands it.
#pragma once

#include "core/shortcut_store.h"

namespace kx {

// The entry with its rich text cleaned of objects, fields and embedded data
// (convert/rtf_embedded_content.h), for the clipboard; the entry itself,
// when it holds no rich text. The store's entry is never changed, so the
// shared file keeps what its author saved in it.
EntryRef WithoutEmbeddedContent(const EntryRef& entry);

}  // namespace kx
