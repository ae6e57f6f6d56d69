#include "framework/AutomationServer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "settings/RegistryKey.h"

// {6B0D3F52-9C1E-4E7A-8F3B-2A5C7D9E1F40}
const CLSID CLSID_VantorelApplication = {
    0x6b0d3f52, 0x9c1e, 0x4e7a, {0x8f, 0x3b, 0x2a, 0x5c, 0x7d, 0x9e, 0x1f, 0x40}};
const char kProgId[] = "Vantorel.Application";

namespace {

const char kClsidText[] = "{6B0D3F52-9C1E-4E7A-8F3B-2A5C7D9E1F40}";

bool SetKeyValue(platform::RegistryApi& registry, const std::string& path, const char* name,
                 const std::string& value) {
    RegistryKey key(registry);
    return key.Open(platform::reg::CurrentUser(), path.c_str(), true) &&
           key.WriteString(name, value);
}

// Under HKEY_CURRENT_USER\Software\Classes; the one bounded walk of the
// settings store, so a key that cannot be deleted ends it.
void DeleteClassesTree(platform::RegistryApi& registry, const std::string& name) {
    RegistryKey classes(registry);
    if (classes.Open(platform::reg::CurrentUser(), "Software\\Classes", false))
        classes.DeleteKeyTree(name.c_str());
}

// What a method lets escape must not cross into the client's process.
template <typename Body>
HRESULT Guarded(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

class ApplicationObject;
// The objects clients hold, so that the program can wait for them to let go
// and cut off those that do not. Touched on the apartment's thread only.
std::vector<ApplicationObject*> g_objects;

// The document as clients see it: three methods by name, late-bound only.
class ApplicationObject final : public IDispatch {
public:
    explicit ApplicationObject(AutomationTarget* target) : target_(target) {
        g_objects.push_back(this);
    }
    ~ApplicationObject() { g_objects.erase(std::find(g_objects.begin(), g_objects.end(), this)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            Guarded([&] {
                target_->OnLastRelease();
                return S_OK;
            });
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        static const struct {
            const wchar_t* name;
            DISPID id;
        } methods[] = {{L"ShowWindow", kDispShowWindow},
                       {L"IsWindowVisible", kDispIsWindowVisible},
                       {L"ExitApplication", kDispExitApplication}};
        if (!names || !ids || count == 0) return E_INVALIDARG;
        // The methods have no named arguments: any name past the first is unknown.
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        for (const auto& m : methods)
            if (names[0] && lstrcmpiW(names[0], m.name) == 0) ids[0] = m.id;
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT* argError) override {
        return Guarded([&] { return Call(id, flags, params, result, argError); });
    }

private:
    HRESULT Call(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError) {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
        UINT given = params ? params->cArgs : 0;
        switch (id) {
            case kDispShowWindow: {
                if (given != 1) return DISP_E_BADPARAMCOUNT;
                VARIANT value;
                VariantInit(&value);
                if (FAILED(VariantChangeType(&value, &params->rgvarg[0], 0, VT_I2))) {
                    if (argError) *argError = 0;
                    return DISP_E_TYPEMISMATCH;
                }
                target_->ShowWindow(value.iVal);
                return S_OK;
            }
            case kDispIsWindowVisible:
                if (given != 0) return DISP_E_BADPARAMCOUNT;
                if (result) {
                    VariantInit(result);
                    result->vt = VT_I2;
                    result->iVal = target_->IsWindowVisible();
                }
                return S_OK;
            case kDispExitApplication:
                if (given != 0) return DISP_E_BADPARAMCOUNT;
                target_->ExitApplication();
                return S_OK;
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    LONG refs_ = 1;
    AutomationTarget* target_;
};

class Factory final : public IClassFactory {
public:
    explicit Factory(std::function<AutomationTarget*()> make) : make_(std::move(make)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory lives as long as the program.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return Guarded([&] {
            AutomationTarget* target = make_();
            if (!target) return E_OUTOFMEMORY;
            auto* object = new ApplicationObject(target);
            HRESULT hr = object->QueryInterface(riid, out);
            object->Release();
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::function<AutomationTarget*()> make_;
};

Factory* g_factory = nullptr;
DWORD g_cookie = 0;

}  // namespace

bool RegisterAutomationServer(platform::RegistryApi& registry, const std::string& serverPath) {
    std::string classes = "Software\\Classes\\";
    std::string clsid = classes + "CLSID\\" + kClsidText;
    return SetKeyValue(registry, clsid, nullptr, kProgId) &&
           SetKeyValue(registry, clsid + "\\LocalServer32", nullptr,
                       "\"" + serverPath + "\" /Automation") &&
           SetKeyValue(registry, clsid + "\\ProgID", nullptr, kProgId) &&
           SetKeyValue(registry, classes + kProgId, nullptr, kProgId) &&
           SetKeyValue(registry, classes + kProgId + "\\CLSID", nullptr, kClsidText);
}

bool RegisterShellFileType(platform::RegistryApi& registry, const std::string& extension,
                           const std::string& typeName, const std::string& serverPath) {
    std::string type = std::string("Software\\Classes\\") + kProgId;
    std::string program = "\"" + serverPath + "\"";
    return SetKeyValue(registry, "Software\\Classes\\" + extension, nullptr, kProgId) &&
           SetKeyValue(registry, type, nullptr, typeName) &&
           SetKeyValue(registry, type + "\\DefaultIcon", nullptr, serverPath + ",0") &&
           SetKeyValue(registry, type + "\\shell\\open\\command", nullptr, program + " \"%1\"") &&
           SetKeyValue(registry, type + "\\shell\\print\\command", nullptr,
                       program + " /p \"%1\"") &&
           SetKeyValue(registry, type + "\\shell\\printto\\command", nullptr,
                       program + " /pt \"%1\" \"%2\" \"%3\" \"%4\"");
}

bool UnregisterAutomationServer(platform::RegistryApi& registry, const std::string& extension) {
    DeleteClassesTree(registry, std::string("CLSID\\") + kClsidText);
    DeleteClassesTree(registry, kProgId);
    if (!extension.empty()) DeleteClassesTree(registry, extension);
    return true;
}

// Each client gets a program of its own, as with a multi-instance server.
bool StartAutomationServer(std::function<AutomationTarget*()> makeTarget) {
    if (!g_factory) g_factory = new Factory(std::move(makeTarget));
    return SUCCEEDED(CoRegisterClassObject(CLSID_VantorelApplication, g_factory,
                                           CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &g_cookie));
}

long AutomationObjectsHeld() {
    return static_cast<long>(g_objects.size());
}

void StopAutomationServer(DWORD waitMs) {
    if (g_cookie) CoRevokeClassObject(g_cookie);
    g_cookie = 0;
    const DWORD start = ::GetTickCount();
    while (!g_objects.empty()) {
        DWORD spent = ::GetTickCount() - start;
        if (spent >= waitMs) break;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, waitMs - spent, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        // The loop has ended already: a second quit changes nothing.
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            if (msg.message != WM_QUIT) ::DispatchMessageA(&msg);
    }
    // Copied: a disconnected object may be released, and leave the list, at once.
    std::vector<ApplicationObject*> left = g_objects;
    for (ApplicationObject* object : left) ::CoDisconnectObject(object, 0);
}
