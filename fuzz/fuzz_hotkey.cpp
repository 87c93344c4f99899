// The stored hotkey text on any input: it either reads or fails with the
// conversion error, and whatever reads writes back to a text that reads the same.
#include "system/globalkey.h"

#include <cstddef>
#include <cstdint>
#include <string>

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    GlobalKey gk;
    try {
        globalKeyFromIni(text, gk);
    } catch (const ConvertError&) {
        return 0;
    }
    GlobalKey again;
    globalKeyFromIni(globalKey2Ini(gk), again);
    if (!(again == gk))
        __builtin_trap();
    return 0;
}
