// The last MIDI call of a program, after every port is closed: the system's MIDI drivers end
// threads of their own while the process still runs normally, so that its end kills none of them.
#pragma once

namespace kt73b::winmm {

void EndDriverThreads();

}  // namespace kt73b::winmm
