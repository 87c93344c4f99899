// Libraries opened when first needed: a library that is not installed, or lacks a function
// asked for, leaves its user without it (its format undecodable) instead of failing the
// whole program; one that is there gives its functions.
#include "imaging/libraries.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct LibraryCase {
    const char* label;
    const char* soname;
    const char* function;
    bool complete;
};

class Libraries : public ::testing::TestWithParam<LibraryCase> {};

TEST_P(Libraries, CompleteOnlyWithTheLibraryAndEveryFunction) {
    const LibraryCase& c = GetParam();
    SharedLibrary library(c.soname);
    decltype(&std::strlen) length = nullptr;
    library.find("strlen", length);
    void (*other)() = nullptr;
    library.find(c.function, other);
    EXPECT_EQ(library.complete(), c.complete);
    EXPECT_EQ(other != nullptr, c.complete);
    if (length)
        EXPECT_EQ(length("four"), 4u);
    else
        EXPECT_FALSE(library.complete());
}

INSTANTIATE_TEST_SUITE_P(Cases, Libraries,
                         ::testing::Values(LibraryCase{"Installed", "libc.so.6", "strnlen", true},
                                           LibraryCase{"FunctionMissing", "libc.so.6",
                                                       "quorvane_no_such_function", false},
                                           LibraryCase{"NotInstalled",
                                                       "libquorvane-not-installed.so.0", "strnlen",
                                                       false}),
                         [](const ::testing::TestParamInfo<LibraryCase>& info) {
                             return std::string(info.param.label);
                         });

} // namespace
