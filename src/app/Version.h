// The program's version number, as the build gives it (the CMake cache variable QUODO_VERSION, for
// example 1.06). The same number goes into the version resource of Quodo.exe and into the name of
// its installer, so that all three always agree.
#pragma once

#ifndef QUODO_VERSION
#error "QUODO_VERSION is not defined: the build defines it from the CMake cache variable of that name"
#endif

namespace app {

constexpr const char* kVersionNumber = QUODO_VERSION;

}  // namespace app
