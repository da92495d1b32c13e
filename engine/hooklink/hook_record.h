// The checks on a WM_COPYDATA record from a hook module or the companion,
// kept free of Windows so that they can be fuzzed: a record is one of the
// two accepted type and size pairs with data behind it, or it is refused
// before any of its bytes are read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/hooklink/hook_sink.h"
#include "engine/matcher/key_event.h"

namespace kx {

enum class HookRecordKind : uint8_t { Refused, KeyEvent, DiscardWord };

struct HookRecord {
    HookRecordKind kind = HookRecordKind::Refused;
    KeyEvent key;  // for KeyEvent records
};

// `type` and `size` as the copy-data descriptor gives them, `data` its data
// pointer (null when it has none). Reads exactly `size` bytes of an accepted
// record and nothing of a refused one.
HookRecord ParseHookRecord(uintptr_t type, const void* data, size_t size);

// The size a record of `type` must have, 0 for a type that is never accepted.
size_t HookRecordSize(uintptr_t type);

// Hands an accepted record to the engine: a key event to OnKeyEvent, a
// discard record to ResetTypedBuffer. False for a refused record.
bool DeliverHookRecord(const HookRecord& record, HookEventSink& sink);

}  // namespace kx
