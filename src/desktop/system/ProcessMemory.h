#pragma once
// How the process's heap is kept small while the app idles in the tray.

namespace quintrel {

// Caps the allocator at two arenas. Each thread that allocates would otherwise get an
// arena of its own, and the tray app's few threads (X events, D-Bus, HTTP, Qt's pool)
// allocate so little that their arenas are mostly bookkeeping and free space.
void limitHeapArenas();

// Hands free heap pages back to the system, e.g. after a reply's buffers were freed.
void releaseFreeHeap();

}  // namespace quintrel
