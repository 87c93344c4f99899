// Libraries opened when they are first needed rather than linked: the libraries of the
// further picture formats and of colour profiles are opened when a picture first needs
// one, not when the program starts, since most runs meet none of those formats and the
// libraries (with the video codecs some of them bring along) take megabytes of memory and
// a good part of the start to load. A library that is not installed leaves its format
// undecodable; nothing else changes. The platform layer opens GIO the same way.
#pragma once

#include <dlfcn.h>

/// The functions a decoder takes from one shared library, found by name on first use.
/// The library stays loaded for the rest of the run.
class SharedLibrary {
public:
    /// Opens the library by its name (soname); no symbol is found when it cannot be opened.
    explicit SharedLibrary(const char* soname) noexcept;

    /// Sets `function` to the library's `name`, or to null when there is none; a missing
    /// function leaves the library incomplete.
    template <class Function> void find(const char* name, Function*& function) noexcept {
        function = m_handle ? reinterpret_cast<Function*>(dlsym(m_handle, name)) : nullptr;
        m_complete = m_complete && function != nullptr;
    }

    /// True when the library was opened and every function asked for was found.
    bool complete() const noexcept { return m_complete; }

private:
    void* m_handle = nullptr;
    bool m_complete = false;
};
