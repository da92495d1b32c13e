// A stand-in for Outlook's automation server, for the test of the COM mail
// source: a local server that COM starts for Outlook's application class
// once the test has registered it in its Wine prefix. It answers, through
// IDispatch by name, the calls the scanner makes: GetNamespace("MAPI"),
// GetDefaultFolder(n), Items, Sort, GetFirst, GetNext and each item's
// Subject, Body, SenderEmailAddress and To, over a few fixed messages.
//
// It registers its class for one use, so every connection starts a server of
// its own, and it ends when the client has released everything it was given
// (or when no client comes).
#include <ole2.h>
#include <oleauto.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <vector>

namespace {

constexpr CLSID kOutlookApplicationClass = {0x0006F03A, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kOutlookApplicationInterface = {0x00063001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct Message {
    const wchar_t* texts[4];  // subject, body, sender, recipient: the item's members in order
    int sentOn;               // days; larger is newer
};

// Sent mail in the order the folder stores it, which is not the order sent.
// The test knows these texts.
const Message kSentMail[] = {
    {{L"Quarterly figures", L"The figures for the quarter are attached.", L"ann@example.com", L"board@example.com"}, 3},
    {{L"RE: offer", L"Thanks, the offer stands.", L"ann@example.com", L"bob@example.com"}, 6},
    {{L"Re: offer", L"We accept the offer as written.", L"ann@example.com", L"carl@example.com"}, 5},
    {{L"Lunch on Friday", L"Shall we meet at noon by the fountain?", L"ann@example.com", L"dora@example.com"}, 1},
    {{L"FW: minutes", L"Forwarding the minutes of the meeting.", L"ann@example.com", L"eve@example.com"}, 4},
    {{L"", L"A message without a subject still has words.", L"ann@example.com", L"fay@example.com"}, 2},
};

std::atomic<long> g_objects{0};
HANDLE g_created = nullptr;   // set when the client takes the first object
HANDLE g_released = nullptr;  // set when the last object goes

enum Kind { Application, Namespace, Folder, Items, MailItem };
struct Member {
    const wchar_t* name;
    bool method;
};
const std::vector<Member> kMembers[] = {
    {{L"GetNamespace", true}},
    {{L"GetDefaultFolder", true}},
    {{L"Items", false}},
    {{L"Sort", true}, {L"GetFirst", true}, {L"GetNext", true}},
    {{L"Subject", false}, {L"Body", false}, {L"SenderEmailAddress", false}, {L"To", false}},
};

// One automation object of the model: its members by name, and what they give.
class Object final : public IDispatch {
public:
    Object(Kind kind, const Message* mail = nullptr, size_t count = 0) : kind_(kind), mail_(mail) {
        for (size_t i = 0; i < count; ++i) order_.push_back(i);
        ++g_objects;
        ::SetEvent(g_created);
    }
    ~Object() {
        if (--g_objects == 0) ::SetEvent(g_released);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) &&
            !(kind_ == Application && iid == kOutlookApplicationInterface))
            return E_NOINTERFACE;
        AddRef();
        *out = static_cast<IDispatch*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return count ? *count = 0, S_OK : E_POINTER; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    // The first name is the member's; named arguments are not known here.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (size_t m = 0; count && m < kMembers[kind_].size(); ++m)
            if (::lstrcmpiW(names[0], kMembers[kind_][m].name) == 0) ids[0] = DISPID(m + 1);
        return count != 1 || ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    // A method must be called, a property read, as a real dispatch interface
    // tells them apart.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argError) override {
        if (id < 1 || size_t(id) > kMembers[kind_].size() ||
            !(flags & (kMembers[kind_][id - 1].method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET)))
            return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        if (result) ::VariantInit(result);
        if (kind_ == Items && id == 1) return Sort(*params, argError);
        if (params->cArgs != (kind_ == Application || kind_ == Namespace ? 1u : 0u)) return DISP_E_BADPARAMCOUNT;
        VARIANT arg;
        ::VariantInit(&arg);
        switch (kind_) {
        case Application: {
            HRESULT hr = ::DispGetParam(params, 0, VT_BSTR, &arg, argError);
            if (FAILED(hr)) return hr;
            const bool mapi = ::lstrcmpW(arg.bstrVal, L"MAPI") == 0;
            ::VariantClear(&arg);
            return mapi ? Give(new Object(Namespace), result) : DISP_E_EXCEPTION;
        }
        case Namespace: {
            HRESULT hr = ::DispGetParam(params, 0, VT_I4, &arg, argError);
            if (FAILED(hr)) return hr;
            // The sent folder only: a scan of any other finds no mail.
            if (arg.lVal == 5) return Give(new Object(Folder, kSentMail, std::size(kSentMail)), result);
            return DISP_E_EXCEPTION;
        }
        case Folder: return Give(new Object(Items, mail_, order_.size()), result);
        case Items:
            at_ = id == 2 ? 0 : std::min(at_ + 1, order_.size());
            // Past the end the answer is an empty object, as Outlook gives Nothing.
            return Give(at_ < order_.size() ? new Object(MailItem, &mail_[order_[at_]]) : nullptr, result);
        case MailItem:
            if (!result) return S_OK;
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(mail_->texts[id - 1]);
            return result->bstrVal ? S_OK : E_OUTOFMEMORY;
        }
        return E_UNEXPECTED;
    }

private:
    // Sort(Property, Descending): only newest first by the sent time is
    // known here; anything else fails, as a scan in another order would.
    HRESULT Sort(DISPPARAMS& params, UINT* argError) {
        if (params.cArgs != 2) return DISP_E_BADPARAMCOUNT;
        VARIANT property, descending;
        ::VariantInit(&property);
        ::VariantInit(&descending);
        HRESULT hr = ::DispGetParam(&params, 0, VT_BSTR, &property, argError);
        if (SUCCEEDED(hr)) hr = ::DispGetParam(&params, 1, VT_BOOL, &descending, argError);
        const bool known = SUCCEEDED(hr) && ::lstrcmpiW(property.bstrVal, L"[SentOn]") == 0 && descending.boolVal;
        ::VariantClear(&property);
        if (!known) return FAILED(hr) ? hr : DISP_E_EXCEPTION;
        std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) { return mail_[a].sentOn > mail_[b].sentOn; });
        return S_OK;
    }
    // Hands `object` (perhaps none) to the caller, whose reference it is.
    static HRESULT Give(Object* object, VARIANT* result) {
        if (!result) {
            if (object) object->Release();
            return S_OK;
        }
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    Kind kind_;
    const Message* mail_;
    std::vector<size_t> order_;
    size_t at_ = 0;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = iid == __uuidof(IUnknown) || iid == __uuidof(IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        Object* app = new Object(Application);
        const HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    g_created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_released = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static Factory factory;
    DWORD cookie = 0;
    int code = 1;
    if (g_created && g_released &&
        SUCCEEDED(::CoRegisterClassObject(kOutlookApplicationClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE,
                                          &cookie))) {
        // The one client takes the application object at once and lets go
        // of everything when its scan ends (or within two minutes).
        if (::WaitForSingleObject(g_created, 30000) == WAIT_OBJECT_0)
            code = ::WaitForSingleObject(g_released, 120000) == WAIT_OBJECT_0 ? 0 : 2;
        ::CoRevokeClassObject(cookie);
    }
    ::CoUninitialize();
    for (HANDLE event : {g_created, g_released})
        if (event) ::CloseHandle(event);
    return code;
}
