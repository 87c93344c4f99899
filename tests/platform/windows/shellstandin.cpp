#include "platform/windows/shellstandin.h"

#include <cstring>

#include <objbase.h>
#include <shobjidl.h>

namespace wintest {

namespace {

StandInState g_state;

// Objects that live as long as the test: the reference count only answers.
template <typename Interface> class Static : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Interface)))
            return E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        return S_OK;
    }
};

const StandInMonitor* findMonitor(LPCWSTR id) {
    for (const StandInMonitor& monitor : g_state.monitors)
        if (id && monitor.id == id)
            return &monitor;
    return nullptr;
}

LPWSTR taskString(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (copy)
        std::memcpy(copy, text.c_str(), bytes);
    return copy;
}

class DesktopWallpaper : public Static<IDesktopWallpaper> {
public:
    HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitorId, LPCWSTR path) override {
        if (!path)
            return E_POINTER;
        if (!monitorId) {
            for (const StandInMonitor& monitor : g_state.monitors)
                g_state.wallpapers[monitor.id] = path;
            return S_OK;
        }
        if (!findMonitor(monitorId))
            return HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER);
        g_state.wallpapers[monitorId] = path;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitorId, LPWSTR* path) override {
        const auto found = g_state.wallpapers.find(monitorId ? monitorId : L"");
        if (found == g_state.wallpapers.end())
            return E_FAIL;
        *path = taskString(found->second);
        return *path ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* id) override {
        if (index >= g_state.monitors.size())
            return E_INVALIDARG;
        *id = taskString(g_state.monitors[index].id);
        return *id ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) override {
        *count = static_cast<UINT>(g_state.monitors.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitorId, RECT* rect) override {
        const StandInMonitor* monitor = findMonitor(monitorId);
        if (!monitor || !monitor->attached)
            return HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED);
        *rect = monitor->rect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF colour) override {
        g_state.background = colour;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* colour) override {
        *colour = g_state.background;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetPosition(DESKTOP_WALLPAPER_POSITION position) override {
        g_state.position = position;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(DESKTOP_WALLPAPER_POSITION* position) override {
        if (g_state.position < 0)
            return E_FAIL;
        *position = static_cast<DESKTOP_WALLPAPER_POSITION>(g_state.position);
        return S_OK;
    }
    // The slide show is never used.
    HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS, UINT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSlideshowOptions(DESKTOP_SLIDESHOW_OPTIONS*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR, DESKTOP_SLIDESHOW_DIRECTION) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetStatus(DESKTOP_SLIDESHOW_STATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enable(WINBOOL) override { return E_NOTIMPL; }
};

DesktopWallpaper g_wallpaper;

class Factory : public Static<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return g_wallpaper.QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

} // namespace

ShellStandIn::ShellStandIn(std::vector<StandInMonitor> monitors) {
    g_state = StandInState{std::move(monitors), {}, -1, CLR_INVALID};
    m_initialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (FAILED(CoRegisterClassObject(CLSID_DesktopWallpaper, &g_factory, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &m_cookie)))
        m_cookie = 0;
}

ShellStandIn::~ShellStandIn() {
    if (m_cookie)
        CoRevokeClassObject(m_cookie);
    if (m_initialized)
        CoUninitialize();
}

StandInState& ShellStandIn::state() {
    return g_state;
}

} // namespace wintest
