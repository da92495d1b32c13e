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
constexpr DWORD kNoClientMs = 30000;
constexpr DWORD kLongestUseMs = 120000;

struct Message {
    const wchar_t* subject;
    const wchar_t* body;
    const wchar_t* from;
    const wchar_t* to;
    int sentOn;  // days; larger is newer
};

// Sent mail in the order the folder stores it, which is not the order sent.
// The test knows these texts.
const Message kSentMail[] = {
    {L"Quarterly figures", L"The figures for the quarter are attached.", L"ann@example.com", L"board@example.com", 3},
    {L"RE: offer", L"Thanks, the offer stands.", L"ann@example.com", L"bob@example.com", 6},
    {L"Re: offer", L"We accept the offer as written.", L"ann@example.com", L"carl@example.com", 5},
    {L"Lunch on Friday", L"Shall we meet at noon by the fountain?", L"ann@example.com", L"dora@example.com", 1},
    {L"FW: minutes", L"Forwarding the minutes of the meeting.", L"ann@example.com", L"eve@example.com", 4},
    {L"", L"A message without a subject still has words.", L"ann@example.com", L"fay@example.com", 2},
};
// Another folder, whose mail the scanner must never see.
const Message kInbox[] = {
    {L"Inbox only", L"This message was received, not sent.", L"zed@example.com", L"ann@example.com", 7},
};
constexpr int kSentMailFolder = 5;
constexpr int kInboxFolder = 6;

std::atomic<long> g_objects{0};
HANDLE g_created = nullptr;   // set when the client takes the first object
HANDLE g_released = nullptr;  // set when the last object goes

BSTR CopyText(const wchar_t* text) { return ::SysAllocString(text); }

// One automation object: its members by name, answered by Call.
class Dispatch : public IDispatch {
public:
    Dispatch() {
        ++g_objects;
        ::SetEvent(g_created);
    }
    virtual ~Dispatch() {
        if (--g_objects == 0) ::SetEvent(g_released);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || (Answers(iid))) {
            AddRef();
            *out = static_cast<IDispatch*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        // The first name is the member's; named arguments are not known here.
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        if (count == 0) return DISP_E_UNKNOWNNAME;
        const std::vector<Member>& members = Members();
        for (size_t m = 0; m < members.size(); ++m)
            if (::lstrcmpiW(names[0], members[m].name) == 0) ids[0] = DISPID(m + 1);
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT* argError) override {
        const std::vector<Member>& members = Members();
        if (id < 1 || size_t(id) > members.size()) return DISP_E_MEMBERNOTFOUND;
        // A method must be called, a property read, as a real dispatch
        // interface tells them apart.
        if (!(flags & (members[id - 1].method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        if (!params) return E_INVALIDARG;
        if (result) ::VariantInit(result);
        return Call(int(id - 1), *params, result, argError);
    }

protected:
    struct Member {
        const wchar_t* name;
        bool method;
    };
    virtual const std::vector<Member>& Members() const = 0;
    virtual HRESULT Call(int member, DISPPARAMS& params, VARIANT* result, UINT* argError) = 0;
    virtual bool Answers(REFIID) const { return false; }

    static HRESULT GiveObject(Dispatch* object, VARIANT* result) {
        if (!result) {
            object->Release();
            return S_OK;
        }
        result->vt = VT_DISPATCH;
        result->pdispVal = object;  // the caller's reference
        return S_OK;
    }
    static HRESULT GiveText(const wchar_t* text, VARIANT* result) {
        if (!result) return S_OK;
        result->vt = VT_BSTR;
        result->bstrVal = CopyText(text);
        return result->bstrVal ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::atomic<ULONG> refs_{1};
};

class MailItemObject final : public Dispatch {
public:
    explicit MailItemObject(const Message& m) : message_(m) {}

protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> members = {
            {L"Subject", false}, {L"Body", false}, {L"SenderEmailAddress", false}, {L"To", false}};
        return members;
    }
    HRESULT Call(int member, DISPPARAMS& params, VARIANT* result, UINT*) override {
        if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
        const wchar_t* texts[] = {message_.subject, message_.body, message_.from, message_.to};
        return GiveText(texts[member], result);
    }

private:
    const Message& message_;
};

class ItemsObject final : public Dispatch {
public:
    ItemsObject(const Message* mail, size_t count) : mail_(mail) {
        for (size_t i = 0; i < count; ++i) order_.push_back(i);
    }

protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> members = {{L"Sort", true}, {L"GetFirst", true}, {L"GetNext", true}};
        return members;
    }
    HRESULT Call(int member, DISPPARAMS& params, VARIANT* result, UINT* argError) override {
        switch (member) {
        case 0: return Sort(params, argError);
        case 1:
            if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
            at_ = 0;
            return Current(result);
        default:
            if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
            if (at_ < order_.size()) ++at_;
            return Current(result);
        }
    }

private:
    // Sort(Property, [Descending]): only the sent time is known here.
    HRESULT Sort(DISPPARAMS& params, UINT* argError) {
        if (params.cArgs < 1 || params.cArgs > 2) return DISP_E_BADPARAMCOUNT;
        VARIANT property;
        ::VariantInit(&property);
        HRESULT hr = ::DispGetParam(&params, 0, VT_BSTR, &property, argError);
        if (FAILED(hr)) return hr;
        const bool bySentOn = ::lstrcmpiW(property.bstrVal, L"[SentOn]") == 0;
        ::VariantClear(&property);
        if (!bySentOn) return DISP_E_EXCEPTION;
        bool descending = false;
        if (params.cArgs == 2) {
            VARIANT flag;
            ::VariantInit(&flag);
            hr = ::DispGetParam(&params, 1, VT_BOOL, &flag, argError);
            if (FAILED(hr)) return hr;
            descending = flag.boolVal != VARIANT_FALSE;
        }
        std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
            return descending ? mail_[a].sentOn > mail_[b].sentOn : mail_[a].sentOn < mail_[b].sentOn;
        });
        return S_OK;
    }
    // Past the end the answer is an empty object, as Outlook gives Nothing.
    HRESULT Current(VARIANT* result) {
        if (at_ >= order_.size()) {
            if (result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = nullptr;
            }
            return S_OK;
        }
        return GiveObject(new MailItemObject(mail_[order_[at_]]), result);
    }

    const Message* mail_;
    std::vector<size_t> order_;
    size_t at_ = 0;
};

class FolderObject final : public Dispatch {
public:
    FolderObject(const Message* mail, size_t count) : mail_(mail), count_(count) {}

protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> members = {{L"Items", false}};
        return members;
    }
    HRESULT Call(int, DISPPARAMS& params, VARIANT* result, UINT*) override {
        if (params.cArgs != 0) return DISP_E_BADPARAMCOUNT;
        return GiveObject(new ItemsObject(mail_, count_), result);
    }

private:
    const Message* mail_;
    size_t count_;
};

class NamespaceObject final : public Dispatch {
protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> members = {{L"GetDefaultFolder", true}};
        return members;
    }
    HRESULT Call(int, DISPPARAMS& params, VARIANT* result, UINT* argError) override {
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT number;
        ::VariantInit(&number);
        const HRESULT hr = ::DispGetParam(&params, 0, VT_I4, &number, argError);
        if (FAILED(hr)) return hr;
        if (number.lVal == kSentMailFolder)
            return GiveObject(new FolderObject(kSentMail, std::size(kSentMail)), result);
        if (number.lVal == kInboxFolder) return GiveObject(new FolderObject(kInbox, std::size(kInbox)), result);
        return DISP_E_EXCEPTION;
    }
};

class ApplicationObject final : public Dispatch {
protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> members = {{L"GetNamespace", true}};
        return members;
    }
    HRESULT Call(int, DISPPARAMS& params, VARIANT* result, UINT* argError) override {
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT type;
        ::VariantInit(&type);
        const HRESULT hr = ::DispGetParam(&params, 0, VT_BSTR, &type, argError);
        if (FAILED(hr)) return hr;
        const bool mapi = ::lstrcmpW(type.bstrVal, L"MAPI") == 0;
        ::VariantClear(&type);
        if (!mapi) return DISP_E_EXCEPTION;
        return GiveObject(new NamespaceObject, result);
    }
    bool Answers(REFIID iid) const override { return iid == kOutlookApplicationInterface; }
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IClassFactory)) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        ApplicationObject* app = new ApplicationObject;
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
        // of everything when its scan ends.
        if (::WaitForSingleObject(g_created, kNoClientMs) == WAIT_OBJECT_0)
            code = ::WaitForSingleObject(g_released, kLongestUseMs) == WAIT_OBJECT_0 ? 0 : 2;
        ::CoRevokeClassObject(cookie);
    }
    ::CoUninitialize();
    if (g_created) ::CloseHandle(g_created);
    if (g_released) ::CloseHandle(g_released);
    return code;
}
