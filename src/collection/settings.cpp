#include "collection/settings.h"

#include "platform/store.h"

void currentVersion(const std::string& runValueName) {
    std::string version;
    if (platform::storeReadString("", "version", version) && version == ProgramVersion)
        return;
    platform::storeWipe();
    platform::storeBegin("");
    platform::storeWriteString("version", ProgramVersion);
    platform::storeCommit();
    platform::deleteMachineRunValue(runValueName);
}

#include "collection/collection.h"
#include "collection/scheduler.h"
#include "collection/state.h"
#include "platform/log.h"
#include "system/globalkey.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

namespace {

const std::string Param = "param";

void readInt(const char* name, int& target) {
    std::int32_t v;
    if (platform::storeReadInt(Param, name, v))
        target = v;
}

void readBool(const char* name, bool& target) {
    std::int32_t v;
    if (platform::storeReadInt(Param, name, v))
        target = v != 0;
}

} // namespace

std::string backgroundColor2Ini(std::uint32_t rgb) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4)
        text += Digits[rgb >> shift & 0xF];
    return text;
}

std::optional<std::uint32_t> backgroundColorFromIni(std::string_view text) {
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    std::uint32_t rgb = 0;
    for (char c : text.substr(1)) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        rgb = rgb << 4 | std::uint32_t(digit);
    }
    return rgb;
}

WindowPosition centredOn(const ScreenArea& screen) {
    return {screen.left + screen.width / 2 - MainWindowWidth / 2,
            screen.top + screen.height / 2 - MainWindowHeight / 2};
}

bool fitsOnAScreen(const WindowPosition& pos, const std::vector<ScreenArea>& screens) {
    const long long left = pos.left;
    const long long top = pos.top;
    for (const ScreenArea& s : screens) {
        if (left >= s.left && top >= s.top &&
            left + MainWindowWidth <= static_cast<long long>(s.left) + s.width &&
            top + MainWindowHeight <= static_cast<long long>(s.top) + s.height)
            return true;
    }
    return false;
}

WindowPosition loadSetting(ProgramState& state, Collection& collection, ChangeScheduler& scheduler,
                           const ScreenArea& primaryScreen) {
    WindowPosition pos = centredOn(primaryScreen);
    state.randomSelect = false;
    int interval = 300000;
    bool automatic = false;
    state.changeWithStart = false;
    int current = 0;
    state.useGlobalKey = true;
    state.placement = PlacementMode::Fill;
    state.backgroundColor = 0;
    state.perMonitor = false;
    state.lastFileFolder.clear();
    auto& keys = state.globalKeys;
    for (std::size_t i = 0; i < GlobalKeySlots.size(); ++i)
        globalKeyFromIni(GlobalKeySlots[i].defaultString, keys[i]);

    if (platform::storeSectionExists(Param)) {
        readInt("left", pos.left);
        readInt("top", pos.top);
        readBool("AutomaticallyChange", automatic);
        readBool("ChangeWithStart", state.changeWithStart);
        readBool("RandomSelect", state.randomSelect);
        readInt("interval", interval);
        readInt("PosView", current);
        readBool("UseGlobalKey", state.useGlobalKey);
        readBool("PerMonitor", state.perMonitor);
        platform::storeReadString(Param, "LastFolder", state.lastFileFolder);
        // Text that is no placement or colour keeps the default.
        std::string text;
        if (platform::storeReadString(Param, "Placement", text))
            state.placement = placementFromName(text).value_or(PlacementMode::Fill);
        if (platform::storeReadString(Param, "BackgroundColor", text))
            state.backgroundColor = backgroundColorFromIni(text).value_or(0);
        for (std::size_t i = 0; i < GlobalKeySlots.size(); ++i) {
            std::string text;
            if (!platform::storeReadString(Param, GlobalKeySlots[i].valueName, text))
                continue;
            // A malformed stored hotkey keeps the default combination whole.
            GlobalKey gk = keys[i];
            try {
                globalKeyFromIni(text, gk);
                keys[i] = gk;
            } catch (const ConvertError& e) {
                platform::warn(std::string("stored hotkey ") + GlobalKeySlots[i].valueName +
                               " ignored: " + e.what());
            }
        }
    }
    scheduler.setChangeInterval(interval);
    scheduler.setAutomaticallyChange(automatic);
    collection.restoreCurrent(current);
    return pos;
}

void saveSetting(const ProgramState& state, const Collection& collection,
                 const ChangeScheduler& scheduler, const WindowPosition& pos) {
    platform::storeBegin(Param);
    platform::storeWriteInt("left", pos.left);
    platform::storeWriteInt("top", pos.top);
    platform::storeWriteInt("AutomaticallyChange", state.automaticallyChange ? 1 : 0);
    platform::storeWriteInt("ChangeWithStart", state.changeWithStart ? 1 : 0);
    platform::storeWriteInt("RandomSelect", state.randomSelect ? 1 : 0);
    platform::storeWriteInt("interval", scheduler.changeInterval());
    platform::storeWriteInt("PosView", collection.current());
    platform::storeWriteInt("UseGlobalKey", state.useGlobalKey ? 1 : 0);
    for (std::size_t i = 0; i < GlobalKeySlots.size(); ++i)
        platform::storeWriteString(GlobalKeySlots[i].valueName, globalKey2Ini(state.globalKeys[i]));
    platform::storeWriteString("Placement", std::string(placementName(state.placement)));
    platform::storeWriteString("BackgroundColor", backgroundColor2Ini(state.backgroundColor));
    platform::storeWriteInt("PerMonitor", state.perMonitor ? 1 : 0);
    if (!state.lastFileFolder.empty())
        platform::storeWriteString("LastFolder", state.lastFileFolder);
    platform::storeCommit();
}
