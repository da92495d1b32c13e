#include "learn/mail/outlook_mail_source_win32.h"

#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/handles.h"

namespace kx {
namespace {

// Outlook's application object and its application interface.
constexpr CLSID kOutlookApplicationClass = {0x0006F03A, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kOutlookApplicationInterface = {0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// GetDefaultFolder's number of the sent-mail folder.
constexpr int32_t kSentMailFolder = 5;
// IDispatch's reserved interface argument, always null.
constexpr IID kReservedIid = {};

struct BstrTraits {
    static BSTR Invalid() { return nullptr; }
    static bool Close(BSTR b) {
        ::SysFreeString(b);
        return true;
    }
};
using UniqueBstr = UniqueWin<BSTR, BstrTraits>;

// COM for the calling thread, ended with this object. The scanner's thread
// has no message loop, so it joins the multithreaded apartment; Outlook runs
// in its own process either way and every call is marshalled.
class ComThread {
public:
    ComThread() : hr_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComThread() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComThread(const ComThread&) = delete;
    ComThread& operator=(const ComThread&) = delete;
    // A thread that joined the other apartment earlier can still call.
    bool Ready() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

// A VARIANT that clears what it holds (strings, interfaces) when it goes.
class Variant {
public:
    Variant() { ::VariantInit(&v_); }
    ~Variant() { ::VariantClear(&v_); }
    Variant(Variant&& o) noexcept : v_(o.v_) { ::VariantInit(&o.v_); }
    Variant& operator=(Variant&&) = delete;
    Variant(const Variant&) = delete;

    static Variant OfText(const wchar_t* text) {
        Variant v;
        v.v_.vt = VT_BSTR;
        v.v_.bstrVal = ::SysAllocString(text);
        return v;
    }
    static Variant OfInt(int32_t n) {
        Variant v;
        v.v_.vt = VT_I4;
        v.v_.lVal = n;
        return v;
    }
    static Variant OfBool(bool b) {
        Variant v;
        v.v_.vt = VT_BOOL;
        v.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
        return v;
    }

    bool Holds() const { return v_.vt != VT_BSTR || v_.bstrVal != nullptr; }
    const VARIANT& Get() const { return v_; }
    VARIANT* Out() {
        ::VariantClear(&v_);
        return &v_;
    }
    // The object held, taken over; none unless it is a non-null IDispatch.
    UniqueCom<IDispatch> TakeObject() {
        if (v_.vt != VT_DISPATCH || v_.pdispVal == nullptr) return UniqueCom<IDispatch>();
        UniqueCom<IDispatch> object(std::exchange(v_.pdispVal, nullptr));
        v_.vt = VT_EMPTY;
        return object;
    }
    // The text held, converted from whatever the property gave; empty when
    // it cannot be.
    std::u16string AsText() {
        if (v_.vt != VT_BSTR && FAILED(::VariantChangeType(&v_, &v_, 0, VT_BSTR))) return {};
        if (v_.vt != VT_BSTR || v_.bstrVal == nullptr) return {};
        std::u16string text(::SysStringLen(v_.bstrVal), u'\0');
        std::memcpy(text.data(), v_.bstrVal, text.size() * sizeof(char16_t));
        return text;
    }

private:
    VARIANT v_;
};

// Calls the member `name` of `object` by name, with `args` in call order.
bool CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::initializer_list<const Variant*> args,
                Variant& result) {
    UniqueBstr member(::SysAllocString(name));
    if (!member) return false;
    LPOLESTR names[] = {member.Get()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(object->GetIDsOfNames(kReservedIid, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
    // IDispatch takes the arguments last first. The copies share what the
    // Variants own and are not cleared.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) {
        if (!(*it)->Holds()) return false;
        reversed.push_back((*it)->Get());
    }
    DISPPARAMS params = {reversed.data(), nullptr, UINT(reversed.size()), 0};
    return SUCCEEDED(object->Invoke(id, kReservedIid, LOCALE_USER_DEFAULT, kind, &params, result.Out(), nullptr,
                                    nullptr));
}

UniqueCom<IDispatch> ObjectOf(IDispatch* object, const wchar_t* name, WORD kind,
                              std::initializer_list<const Variant*> args = {}) {
    Variant result;
    if (!CallByName(object, name, kind, args, result)) return UniqueCom<IDispatch>();
    return result.TakeObject();
}

std::u16string TextOf(IDispatch* object, const wchar_t* name, size_t limit = std::u16string::npos) {
    Variant result;
    if (!CallByName(object, name, DISPATCH_PROPERTYGET, {}, result)) return {};
    std::u16string text = result.AsText();
    if (text.size() > limit) text.resize(limit);
    return text;
}

class ComOutlookMailSource final : public OutlookMailSource {
public:
    bool First(MailItem& item) override {
        item = MailItem();
        if (!com_.Ready()) return false;
        if (!items_ && !Connect()) return false;
        return Load(ObjectOf(items_.Get(), L"GetFirst", DISPATCH_METHOD), item);
    }

    bool Next(MailItem& item) override {
        item = MailItem();
        if (!items_) return false;
        return Load(ObjectOf(items_.Get(), L"GetNext", DISPATCH_METHOD), item);
    }

private:
    // Outlook's sent mail, sorted newest first; on any failure nothing is
    // kept and the source stays unusable.
    bool Connect() {
        IUnknown* unknown = nullptr;
        if (FAILED(::CoCreateInstance(kOutlookApplicationClass, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IUnknown),
                                      reinterpret_cast<void**>(&unknown))))
            return false;
        const UniqueCom<IUnknown> created(unknown);
        if (FAILED(::OleRun(created.Get()))) return false;
        IDispatch* application = nullptr;
        if (FAILED(created.Get()->QueryInterface(kOutlookApplicationInterface,
                                                 reinterpret_cast<void**>(&application))))
            return false;
        UniqueCom<IDispatch> app(application);

        const Variant mapi = Variant::OfText(L"MAPI");
        UniqueCom<IDispatch> space = ObjectOf(app.Get(), L"GetNamespace", DISPATCH_METHOD, {&mapi});
        if (!space) return false;
        const Variant sent = Variant::OfInt(kSentMailFolder);
        UniqueCom<IDispatch> folder = ObjectOf(space.Get(), L"GetDefaultFolder", DISPATCH_METHOD, {&sent});
        if (!folder) return false;
        UniqueCom<IDispatch> items = ObjectOf(folder.Get(), L"Items", DISPATCH_PROPERTYGET);
        if (!items) return false;
        const Variant sentOn = Variant::OfText(L"[SentOn]");
        const Variant descending = Variant::OfBool(true);
        Variant ignored;
        if (!CallByName(items.Get(), L"Sort", DISPATCH_METHOD, {&sentOn, &descending}, ignored)) return false;

        app_ = std::move(app);
        namespace_ = std::move(space);
        folder_ = std::move(folder);
        items_ = std::move(items);
        return true;
    }

    bool Load(UniqueCom<IDispatch> next, MailItem& item) {
        current_ = std::move(next);
        if (!current_) return false;
        item.valid = true;
        // The addresses are read as the item offers them; the scan does
        // not use them.
        item.from = TextOf(current_.Get(), L"SenderEmailAddress", kMailFieldUnits);
        item.to = TextOf(current_.Get(), L"To", kMailFieldUnits);
        item.subject = TextOf(current_.Get(), L"Subject", kMailFieldUnits);
        item.body = TextOf(current_.Get(), L"Body");
        return true;
    }

    // Declared first so that it ends last, after every reference below.
    ComThread com_;
    UniqueCom<IDispatch> app_;
    UniqueCom<IDispatch> namespace_;
    UniqueCom<IDispatch> folder_;
    UniqueCom<IDispatch> items_;
    UniqueCom<IDispatch> current_;
};

}  // namespace

std::unique_ptr<OutlookMailSource> ConnectOutlookMailSource() { return std::make_unique<ComOutlookMailSource>(); }

}  // namespace kx
