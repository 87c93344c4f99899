#include "platform/windows/shellwallpaper.h"

#include "platform/windows/wintext.h"

#include <objbase.h>
#include <shobjidl.h>

namespace platform::win {

namespace {

// The shell's positions by placement (Fill, Fit, Stretch, Center, Tile, Span).
constexpr DESKTOP_WALLPAPER_POSITION Positions[] = {DWPOS_FILL,   DWPOS_FIT,  DWPOS_STRETCH,
                                                    DWPOS_CENTER, DWPOS_TILE, DWPOS_SPAN};

// A string the shell allocated for its caller.
struct TaskString {
    LPWSTR text = nullptr;
    TaskString() = default;
    TaskString(const TaskString&) = delete;
    TaskString& operator=(const TaskString&) = delete;
    ~TaskString() { CoTaskMemFree(text); }
};

} // namespace

ShellWallpaper::ShellWallpaper() {
    // The callers run on worker threads of their own. A thread that already
    // has COM in the other threading model can use it as it is: only a
    // successful call (S_OK or S_FALSE) is matched by CoUninitialize.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    m_uninitialize = SUCCEEDED(init);
    if (FAILED(init) && init != RPC_E_CHANGED_MODE)
        return;
    void* object = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL,
                                   IID_IDesktopWallpaper, &object)) &&
        object)
        m_wallpaper = static_cast<IDesktopWallpaper*>(object);
}

ShellWallpaper::~ShellWallpaper() {
    if (m_wallpaper)
        m_wallpaper->Release();
    if (m_uninitialize)
        CoUninitialize();
}

std::optional<std::vector<Monitor>> ShellWallpaper::monitors() {
    if (!m_wallpaper)
        return std::nullopt;
    try {
        UINT count = 0;
        if (FAILED(m_wallpaper->GetMonitorDevicePathCount(&count)))
            return std::nullopt;
        std::vector<Monitor> result;
        for (UINT i = 0; i < count; ++i) {
            TaskString id;
            if (FAILED(m_wallpaper->GetMonitorDevicePathAt(i, &id.text)) || !id.text || !*id.text)
                continue;
            // The shell keeps monitors it has seen attached; a detached one
            // has no rectangle.
            RECT rect{};
            if (FAILED(m_wallpaper->GetMonitorRECT(id.text, &rect)) || rect.right <= rect.left ||
                rect.bottom <= rect.top)
                continue;
            result.push_back({toUtf8(id.text), {rect.left, rect.top, rect.right, rect.bottom}});
        }
        if (result.empty())
            return std::nullopt;
        return result;
    } catch (...) {
        return std::nullopt;
    }
}

bool ShellWallpaper::setWallpaper(const std::wstring& monitorId, const std::wstring& path) {
    return m_wallpaper && SUCCEEDED(m_wallpaper->SetWallpaper(
                              monitorId.empty() ? nullptr : monitorId.c_str(), path.c_str()));
}

bool ShellWallpaper::setPosition(PlacementMode mode) {
    const auto index = static_cast<std::size_t>(mode);
    return m_wallpaper && index < std::size(Positions) &&
           SUCCEEDED(m_wallpaper->SetPosition(Positions[index]));
}

bool ShellWallpaper::setBackground(std::uint32_t rgb) {
    return m_wallpaper && SUCCEEDED(m_wallpaper->SetBackgroundColor(colorRef(rgb)));
}

} // namespace platform::win
