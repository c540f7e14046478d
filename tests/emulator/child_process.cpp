// Nothing of its own: tests/cli still lists this file; the code is in tests/support.
#include "tests/emulator/child_process.h"
