#include "engine/hooklink/hook_record.h"

#include "engine/hooklink/hook_protocol.h"

namespace kx {

size_t HookRecordSize(uintptr_t type) {
    if (type == kRecordKeyEvent) return kKeyEventWireSize;
    if (type == kRecordDiscardWord) return kDiscardRecordSize;
    return 0;
}

HookRecord ParseHookRecord(uintptr_t type, const void* data, size_t size) {
    HookRecord r;
    if (!data || !hookproto::IsAcceptedRecord(type, size)) return r;
    if (type == kRecordKeyEvent) {
        r.kind = HookRecordKind::KeyEvent;
        r.key = DecodeKeyEvent(static_cast<const uint8_t*>(data));
    } else {
        // Its content is for logs; only its arrival counts.
        r.kind = HookRecordKind::DiscardWord;
    }
    return r;
}

bool DeliverHookRecord(const HookRecord& record, HookEventSink& sink) {
    switch (record.kind) {
        case HookRecordKind::KeyEvent:
            sink.OnKeyEvent(record.key);
            return true;
        case HookRecordKind::DiscardWord:
            sink.ResetTypedBuffer();
            return true;
        default:
            return false;
    }
}

}  // namespace kx
