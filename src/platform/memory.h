// The process's memory.
#pragma once

namespace platform {

/// Sets the allocator up for a program that spends its life in the
/// background: big blocks (decoded pictures) come straight from the system
/// and go straight back to it when freed, freed memory at the top of a
/// thread's heap is returned, and the threads share few heaps, so that
/// what a picture of many megabytes took is not kept once it is gone. Call
/// it first thing, before other threads start. Does nothing where the
/// allocator offers no such settings.
void keepFreedMemoryShort();

/// Hands memory that the allocator keeps after big blocks were freed back to
/// the system (a decoded picture of many megabytes), so that a program that
/// spends its life in the background does not hold on to it. Cheap enough to
/// call after every such release; does nothing where the allocator offers no
/// way.
void releaseFreedMemory();

} // namespace platform
