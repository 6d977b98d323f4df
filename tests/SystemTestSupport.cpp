#include "SystemTestSupport.h"

#include "system/FontMapping.h"

namespace qv::test {

void setUpSystemEnvironment() {
    setUpProgramEnvironment();
    installFontMapping();
}

} // namespace qv::test
