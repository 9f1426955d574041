#include "win32/Accessible.h"

#include <oleacc.h>

#include "win32/Win32System.h"

namespace win32 {

namespace {

// The standard object with another role; everything else is the standard object's.
class RoleAccessible final : public IAccessible {
public:
    RoleAccessible(IAccessible* standard, long role) : standard_(standard), role_(role) {}
    virtual ~RoleAccessible() = default;
    RoleAccessible(const RoleAccessible&) = delete;
    RoleAccessible& operator=(const RoleAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != __uuidof(IUnknown) && iid != __uuidof(IDispatch) && iid != __uuidof(IAccessible)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            standard_->Release();
            delete this;
        }
        return ULONG(left);
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return standard_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return standard_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID l, ITypeInfo** t) override {
        return standard_->GetTypeInfo(i, l, t);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID l, DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, n, l, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID l, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT* argument) override {
        return standard_->Invoke(id, iid, l, flags, params, result, error, argument);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    IAccessible* standard_;
    long role_;
    LONG references_ = 1;
};

// The accessibility library and COM, loaded at the first question (a screen reader's, never at
// start) and kept: the objects handed out call into them until their callers let them go.
struct Library {
    using CreateStandard = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
    using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    CreateStandard createStandard = nullptr;
    ResultFromObject resultFromObject = nullptr;

    Library() {
        using Initialize = HRESULT(WINAPI*)(void*, DWORD);
        HMODULE com = LoadLibraryA(SystemFilePath("ole32.dll").c_str());
        auto initialize = com ? Function<Initialize>(com, "CoInitializeEx") : nullptr;
        // Handing an object to another program takes COM on this (the window) thread.
        if (!initialize || FAILED(initialize(nullptr, COINIT_APARTMENTTHREADED))) return;
        HMODULE oleacc = LoadLibraryA(SystemFilePath("oleacc.dll").c_str());
        if (!oleacc) return;
        createStandard = Function<CreateStandard>(oleacc, "CreateStdAccessibleObject");
        resultFromObject = Function<ResultFromObject>(oleacc, "LresultFromObject");
    }

    template <class F>
    static F Function(HMODULE module, const char* name) {
        return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

}  // namespace

bool AnswerAccessibleObject(HWND hwnd, WPARAM wp, LPARAM lp, long role, LRESULT& result) {
    if (LONG(lp) != OBJID_CLIENT) return false;
    static const Library library;
    if (!library.createStandard || !library.resultFromObject) return false;
    IAccessible* standard = nullptr;
    if (FAILED(library.createStandard(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        !standard)
        return false;
    auto* object = new RoleAccessible(standard, role);
    result = library.resultFromObject(__uuidof(IAccessible), wp, object);
    object->Release();
    return true;
}

}  // namespace win32
