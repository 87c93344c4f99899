// Memory figures of the running benchmark process.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

// VmRSS or VmHWM of this process, in KiB.
inline long statusKb(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long value = 0;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, n) == 0)
            value = std::atol(line + n + 1);
    std::fclose(f);
    return value;
}
