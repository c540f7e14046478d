// Counts the blocks the ports take with nothrow new and have not given back, so a test can
// tell that a failed open or a destroyed port left nothing behind.
#pragma once

namespace kt73b::testing {

long LiveNothrowAllocations();

}  // namespace kt73b::testing
