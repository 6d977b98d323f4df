#pragma once

#include "TestSupport.h"

namespace qv::test {

// For the tests of system/: what setUpProgramEnvironment() sets up, and the program's own font
// mapping, so that faces come out as the program draws them.
void setUpSystemEnvironment();

} // namespace qv::test
