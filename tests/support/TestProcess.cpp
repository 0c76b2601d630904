#include "tests/support/TestProcess.h"

#include <cstdlib>

void prepareTestProcess()
{
    // Qt takes the interface languages from LANGUAGE before LC_MESSAGES and LANG.
    ::setenv("LANGUAGE", "en_US", 1);
}
