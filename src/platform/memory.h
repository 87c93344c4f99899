// The process's memory.
#pragma once

namespace platform {

/// Hands memory that the allocator keeps after big blocks were freed back to
/// the system (a decoded picture of many megabytes), so that a program that
/// spends its life in the background does not hold on to it. Cheap enough to
/// call after every such release; does nothing where the allocator offers no
/// way.
void releaseFreedMemory();

} // namespace platform
