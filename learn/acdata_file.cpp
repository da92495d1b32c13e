// Reading and writing "acdata.txt": the loader worker's body and the save.
#include <algorithm>
#include <charconv>
#include <cstring>

#include "base/text.h"
#include "learn/acdata_record.h"
#include "learn/phrase_dictionary_impl.h"
#include "platform/clock.h"
#include "platform/file_mapping.h"
#include "platform/stream_file.h"

namespace kx {

namespace {

void StoreRecord(PhraseDictionary::Impl& d, const AcdataRecord& r, PhraseCursor& cursor) {
    bool created = false;
    PhraseEntry* e = d.Learn(r.phrase, true, created, &cursor);
    if (!e) return;
    e->stats = r.stats;
    if (r.confidence.empty()) {
        e->SetConfidence(uint32_t(r.phrase.size()), 100);
    } else {
        e->SetConfidence(uint32_t(r.confidence.size()), 0);
        if (e->confidenceCount) std::memcpy(e->confidence.get(), r.confidence.data(), r.confidence.size());
    }
}

// Every text file the program reads may start with a UTF-8 byte-order mark;
// left in place it would make the keystroke counter no number.
std::string_view WithoutByteOrderMark(std::string_view line) {
    return line.starts_with("\xEF\xBB\xBF") ? line.substr(3) : line;
}

}  // namespace

void PhraseDictionary::LoadFile(const std::u16string& path, const LoadPacing& pacing) {
    Impl& d = *impl_;
    loaded_.store(false, std::memory_order_release);
    Clock& clock = pacing.clock ? *pacing.clock : SystemClock();
    const uint32_t started = clock.TickMs();
    uint32_t giveWays = 0;
    auto markLoaded = [&](bool found) {
        loaded_.store(true, std::memory_order_release);
        if (!loadedNotice_) return;
        LoadReport report;
        report.fileFound = found;
        report.phrases = PhraseCount();
        report.elapsedMs = clock.TickMs() - started;
        report.giveWays = giveWays;
        loadedNotice_(report);
    };
    FileError error = FileError::None;
    std::unique_ptr<StreamFile> file = OpenStreamFile(path, StreamMode::Read, error);
    if (!file && error == FileError::NotFound) {
        // No file yet: the first save creates it.
        markLoaded(false);
        return;
    }
    {
        std::lock_guard<std::mutex> hold(d.lock);
        d.trie.Clear();
        d.memoryUsed = 0;
        d.phraseCount = 0;
    }
    // A file that exists but cannot be read stays unloaded, so that the save
    // at exit does not replace it with an empty one.
    if (!file) return;

    // The buffer starts at 1 MiB and grows to the block size only for a
    // line longer than it holds: most files are far smaller than a block.
    size_t capacity = std::min<size_t>(kAcdataBlock, 1u << 20);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[capacity]);
    if (!buffer) return;
    size_t carried = 0;
    bool firstLine = true, stopped = false, last = false;
    // Reused for every line, so that parsing allocates only for phrases
    // longer than any before.
    AcdataRecord record;
    // The file lists phrases in trie order: each insertion starts where the
    // previous phrase's prefix ends.
    PhraseCursor cursor;
    WorkPacer pacer(clock, pacing.sliceMs);
    while (!last && !stopped) {
        size_t got = 0;
        if (carried == capacity && capacity < kAcdataBlock) {
            const size_t grown = std::min(kAcdataBlock, capacity * 4);
            std::unique_ptr<char[]> bigger(new (std::nothrow) char[grown]);
            if (!bigger) return;
            std::memcpy(bigger.get(), buffer.get(), carried);
            buffer = std::move(bigger);
            capacity = grown;
        }
        if (!file->Read(buffer.get() + carried, capacity - carried, got)) return;
        size_t total = carried + got;
        last = got == 0 || total < capacity;
        if (const void* zero = std::memchr(buffer.get(), 0, total)) {
            // Nothing we write holds a 0 byte: what follows one is damage.
            total = size_t(static_cast<const char*>(zero) - buffer.get());
            last = true;
        }
        size_t pos = 0;
        std::unique_lock<std::mutex> hold(d.lock);
        pacer.StartSlice();
        while (!stopped) {
            const char* begin = buffer.get() + pos;
            const char* end = buffer.get() + total;
            const char* cr = begin;
            for (;; ++cr) {
                cr = static_cast<const char*>(std::memchr(cr, '\r', size_t(end - cr)));
                if (!cr || cr + 1 >= end || cr[1] == '\n') break;
            }
            if (!cr || cr + 1 >= end) break;
            const std::string_view line(begin, size_t(cr - begin));
            pos = size_t(cr - buffer.get()) + 2;
            if (firstLine) {
                d.keystrokeCounter = ParseAcdataNumber(Utf8ToUtf16(WithoutByteOrderMark(line)));
                firstLine = false;
                continue;
            }
            if (ParseAcdataRecord(line, record)) StoreRecord(d, record, cursor);
            if (pacing.giveWay && pacer.SliceSpent()) {
                hold.unlock();
                stopped = pacing.giveWay(kLoaderGiveWayMs);
                ++giveWays;
                hold.lock();
                pacer.StartSlice();
            }
        }
        hold.unlock();
        carried = total - pos;
        // A line longer than a whole block cannot be a record; skip it so
        // that reading goes on.
        if (carried == kAcdataBlock) carried = 0;
        if (last) break;
        std::memmove(buffer.get(), buffer.get() + pos, carried);
    }
    file->Close();
    // A loader stopped half-way leaves the dictionary unloaded: saving what
    // it holds would lose the rest of the file.
    if (!stopped) markLoaded(true);
}

SaveResult PhraseDictionary::Save(std::u16string_view path, const SaveControl& control) {
    Impl& d = *impl_;
    std::lock_guard<std::mutex> hold(d.lock);
    if (!Loaded()) return SaveResult::NotLoaded;
    FileMapping& files = SystemFileMapping();
    if (files.Exists(path)) files.Delete(path);
    FileError error = FileError::None;
    std::unique_ptr<StreamFile> file = OpenStreamFile(path, StreamMode::Create, error);
    if (!file) return SaveResult::CreateFailed;

    // Records are formatted straight into one buffer, which goes to the file
    // whenever the next record might not fit. It starts at 1 MiB and, each
    // time it was filled, grows (empty, so nothing is copied) up to the block
    // size: a small file costs no 16 MiB, and one at the memory cap (about
    // 4 MiB) takes two writes.
    size_t capacity = std::min<size_t>(kAcdataBlock, 1u << 20);
    std::unique_ptr<char[]> block(new (std::nothrow) char[capacity]);
    if (!block) {
        file->Close();
        return SaveResult::WriteFailed;
    }
    size_t used = size_t(std::to_chars(block.get(), block.get() + 10, d.keystrokeCounter).ptr - block.get());
    block[used++] = '\r';
    block[used++] = '\n';
    bool writeFailed = false, cancelled = false;
    auto flush = [&] {
        if (!writeFailed) writeFailed = !file->Write(block.get(), used);
        used = 0;
    };
    // Room for `need` more bytes, or false when one record is larger than
    // the largest buffer.
    auto room = [&](size_t need) {
        if (used + need <= capacity) return true;
        flush();
        if (capacity < kAcdataBlock) {
            const size_t grown = std::min(kAcdataBlock, std::max(capacity * 4, need));
            if (std::unique_ptr<char[]> bigger{new (std::nothrow) char[grown]}) {
                block = std::move(bigger);
                capacity = grown;
            }
        }
        return need <= capacity;
    };
    auto before = [&](PhraseNode*) {
        if (control.cancelRequested && control.cancelRequested()) cancelled = true;
        return !cancelled && !writeFailed;
    };
    auto visit = [&](PhraseEntry* e, const std::u16string& phrase) {
        if (control.beforeEntry) control.beforeEntry(phrase, *e);
        if (!room(AcdataRecordMaxBytes(phrase, *e))) {
            // A phrase set through the statistics operations has no length
            // limit: a record larger than the block is written on its own.
            std::string line;
            AppendAcdataRecord(line, phrase, *e);
            if (!writeFailed) writeFailed = !file->Write(line.data(), line.size());
            return;
        }
        used = size_t(WriteAcdataRecord(block.get() + used, phrase, *e) - block.get());
    };
    std::u16string text;
    for (PhraseNode* root : d.trie.Roots()) {
        text.assign(1, root->unit);
        if (!WalkEntries(root, text, visit, before)) break;
    }
    if (!cancelled && !writeFailed) flush();
    const bool closed = file->Close();
    if (cancelled) return SaveResult::Cancelled;
    if (writeFailed || !closed) return SaveResult::WriteFailed;
    if (control.afterWalk) {
        const LockedStatsLookup find = [&d](std::u16string_view phrase, PhraseStats& out) {
            const PhraseEntry* e = d.trie.Find(phrase);
            if (e) out = e->stats;
            return e != nullptr;
        };
        control.afterWalk(find);
    }
    return SaveResult::Saved;
}

}  // namespace kx
