#pragma once

// Named points between the steps of every operation that changes files. A build with
// MORIVA_CHECKPOINTS lets a test end the process at the n-th point reached (environment
// MORIVA_CRASH_AT=n) to prove that a crash anywhere loses nothing; other builds compile
// the points away.
#ifdef MORIVA_CHECKPOINTS
namespace Checkpoint {
void reach(const char *name);
}
#define MORIVA_CHECKPOINT(name) Checkpoint::reach(name)
#else
#define MORIVA_CHECKPOINT(name) ((void)0)
#endif
