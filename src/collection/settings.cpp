#include "collection/settings.h"

#include "platform/store.h"

void CurrentVersion(const std::string& runValueName) {
    std::string version;
    if (platform::storeReadString("", "version", version) && version == ProgramVersion)
        return;
    platform::storeWipe();
    platform::storeBegin("");
    platform::storeWriteString("version", ProgramVersion);
    platform::storeCommit();
    platform::deleteMachineRunValue(runValueName);
}

#include "collection/scheduler.h"
#include "collection/state.h"
#include "system/globalkey.h"

#include <cstdint>
#include <cstdio>

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

WindowPosition LoadSetting(int screenWidth, int screenHeight) {
    WindowPosition pos{screenWidth / 2 - MainWindowWidth / 2,
                       screenHeight / 2 - MainWindowHeight / 2};
    RandomSelect = false;
    int interval = 300000;
    bool automatic = false;
    ChangeWithStart = false;
    CurrentWall = 0;
    UseGlobalKey = true;
    for (std::size_t i = 0; i < GlobalKeySlots.size(); ++i)
        GlobalKeyFromIni(GlobalKeySlots[i].defaultString, GlobalKeys[i]);

    if (platform::storeSectionExists(Param)) {
        readInt("left", pos.left);
        readInt("top", pos.top);
        readBool("AutomaticallyChange", automatic);
        readBool("ChangeWithStart", ChangeWithStart);
        readBool("RandomSelect", RandomSelect);
        readInt("interval", interval);
        readInt("PosView", CurrentWall);
        readBool("UseGlobalKey", UseGlobalKey);
        for (std::size_t i = 0; i < GlobalKeySlots.size(); ++i) {
            std::string text;
            if (!platform::storeReadString(Param, GlobalKeySlots[i].valueName, text))
                continue;
            // A malformed stored hotkey keeps the default combination whole.
            TGlobalKey gk = GlobalKeys[i];
            try {
                GlobalKeyFromIni(text, gk);
                GlobalKeys[i] = gk;
            } catch (const EConvertError& e) {
                std::fprintf(stderr, "Quorvane: stored hotkey %s ignored: %s\n",
                             GlobalKeySlots[i].valueName, e.what());
            }
        }
    }
    SetChangeInterval(interval);
    SetAutomaticallyChange(automatic);
    return pos;
}

void SaveSetting(const WindowPosition& pos) {
    platform::storeBegin(Param);
    platform::storeWriteInt("left", pos.left);
    platform::storeWriteInt("top", pos.top);
    platform::storeWriteInt("AutomaticallyChange", AutomaticallyChange ? 1 : 0);
    platform::storeWriteInt("ChangeWithStart", ChangeWithStart ? 1 : 0);
    platform::storeWriteInt("RandomSelect", RandomSelect ? 1 : 0);
    platform::storeWriteInt("interval", ChangeInterval());
    platform::storeWriteInt("PosView", CurrentWall);
    platform::storeWriteInt("UseGlobalKey", UseGlobalKey ? 1 : 0);
    for (std::size_t i = 0; i < GlobalKeySlots.size(); ++i)
        platform::storeWriteString(GlobalKeySlots[i].valueName, GlobalKey2Ini(GlobalKeys[i]));
    platform::storeCommit();
}
