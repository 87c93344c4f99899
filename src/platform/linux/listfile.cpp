#include "platform/listfile.h"

namespace platform {

std::string encodeListText(const std::vector<std::string>& paths) {
    std::string out;
    for (const auto& p : paths) {
        out += p;
        out += "\r\n";
    }
    return out;
}

std::string decodeListTextWithoutBom(std::string bytes) {
    return bytes;
}

} // namespace platform
