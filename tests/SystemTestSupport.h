#pragma once

#include "TestSupport.h"
#include "system/FontMapping.h"

namespace qv::test {

// For the tests of system/: what setUpProgramEnvironment() sets up, and the program's own font
// mapping, so that faces come out as the program draws them.
inline void setUpSystemEnvironment() {
    setUpProgramEnvironment();
    installFontMapping();
}

} // namespace qv::test
