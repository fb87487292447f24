// Keeps the master password out of core dumps: a process that holds it (every process that maps
// the session block, vtx) makes itself non-dumpable and sets its core size limit to zero. Being
// non-dumpable also keeps other processes of the same user from attaching a debugger to it.
#pragma once

namespace veltrix::platform {

// True when both took effect. Idempotent; cheap enough to call at every session opening.
bool DisableCoreDumps();

// Zeroes 256 KiB of the stack below the caller (a read buffer alone takes 64 KiB). Library routines
// (copies, conversions) leave pieces of what they handled there after they return, out of reach of
// any wipe of our own objects; a holder of the password calls this once the password was handed on.
void WipeFreeStack();

}  // namespace veltrix::platform
