#include "client/Api.h"

namespace mj {

// The hall link and the return to the hall fill these in.
void Api::PostToHall(int32_t) {}
void Api::ReturnToHall() {}
void Operate::RestoreHallWindow() {}
void Operate::MinimizeHallWindow() {}
int32_t Api::FindHallWindow() { return 1; }

} // namespace mj
