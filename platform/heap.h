#pragma once

// The C library's allocator keeps what is freed for later allocations, in an arena of
// each thread that allocated it: after a burst of work (a long note's view tree made
// and torn down on worker threads) that memory stays the program's until it is given
// back. Safe to call from any thread.
namespace Heap {

// Gives the free pages of every arena back to the system. Takes a few milliseconds
// over a large heap: call it after such a burst, never per allocation.
void giveBackFreeMemory();

} // namespace Heap
