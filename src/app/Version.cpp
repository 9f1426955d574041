#include "app/Version.h"

#ifndef QUODO_VERSION
#error "QUODO_VERSION is not defined: the build defines it from the CMake cache variable of that name"
#endif

namespace app {

const char* const kVersionNumber = QUODO_VERSION;

}  // namespace app
