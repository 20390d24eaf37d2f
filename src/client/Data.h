// The shared game state: records, encodings, and the module-level arrays and
// flags that every subsystem reads and writes directly.
#pragma once

namespace mj {

// Puts every piece of shared state back to its program-start value.
void ResetSharedState();

} // namespace mj
