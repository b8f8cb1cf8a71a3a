#pragma once
// How the process's heap treats the large blocks a text passes through.

namespace lexaro {

// Gives every block of 128 KiB or more a mapping of its own, which goes back to the system when
// it is freed. Call it first thing in main().
//
// A text passes through the heap several times as it loads: the file's bytes, its characters,
// each step of the fill, and the box's own buffer as it grows by doubling. glibc raises its
// threshold for a mapping of its own to the largest block freed so far, so after the first few
// megabytes every later block below that size comes from the shared heap, whose freed pages stay
// with the process: 16 MB for ever after a 10 MB load (86 MB resident instead of 70). Fixing the
// threshold at glibc's starting value keeps its behaviour for small blocks and stops that creep.
// Elsewhere this does nothing.
void ReturnLargeBlocksToSystem();

}  // namespace lexaro
