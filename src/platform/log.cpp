#include "platform/log.h"

#include <cstdio>

namespace platform {

void Warn(const std::string& text) {
    std::fprintf(stderr, "Quorvane: %s\n", text.c_str());
}

} // namespace platform
