// The one way watch mode's table drawing fails: the hall window comes back
// and the program ends, without a message.
#pragma once

#include "client/Api.h"
#include "platform/Runtime.h"

namespace mj::Side {

// Runs `draw`; a run-time error inside it ends watching.
template <class Draw>
void EndWatchOnError(Draw draw)
{
    try {
        draw();
    } catch (const RuntimeError&) {
        Operate::RestoreHallWindow();
        EndProgram();
    }
}

} // namespace mj::Side
