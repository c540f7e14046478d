// Our layer's providers end their threads when their devices close: nothing is left to end.
#include "platform/winmm/driver_threads.h"

namespace kt73b::winmm {

void EndDriverThreads() {}

}  // namespace kt73b::winmm
