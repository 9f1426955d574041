// The program's version number, as the build gives it (the CMake cache variable QUODO_VERSION, for
// example 1.06). The same number goes into the version resource of Quodo.exe and into the name of
// its installer, so that all three always agree.
#pragma once

namespace app {

// Defined in Version.cpp, the one file compiled with the number: a build of another version
// compiles that file again, not every file that shows the number.
extern const char* const kVersionNumber;

}  // namespace app
