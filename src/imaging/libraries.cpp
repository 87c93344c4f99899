#include "imaging/libraries.h"

SharedLibrary::SharedLibrary(const char* soname) noexcept
    // Bound at once: a library whose own dependencies are missing fails here rather than
    // at its first call. Local, so that its symbols do not stand in for anyone else's.
    : m_handle(dlopen(soname, RTLD_NOW | RTLD_LOCAL)), m_complete(m_handle != nullptr) {}
