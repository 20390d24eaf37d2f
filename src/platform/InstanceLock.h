// Detection of a second running instance of the client: a lock file in the
// user's runtime folder (the temporary folder where there is none), held for
// the whole life of the process. A lock left by an instance that died (killed,
// crashed, or ended without unloading) does not count: the lock file names its
// holder's process, and a holder that no longer runs is taken over. (The
// file also names the holder's program, checked against the running process's
// executable, so the application name must stay the executable's name.)
//
// MJ_INSTANCE_LOCK=path puts the lock file elsewhere (tests running side by
// side each use their own).
#pragma once

namespace mj::InstanceLock {

// True for the first instance (the lock is now held, or the lock file cannot
// be made at all, which must not keep the player out); false when another
// live instance holds it. Calling again in the holding process returns true.
bool AcquireSingleInstance();

} // namespace mj::InstanceLock
