#include "platform/log.h"

#include <cstdio>

namespace platform {

void warn(const std::string& text) {
    std::fprintf(stderr, "Quorvane: %s\n", text.c_str());
}

} // namespace platform
