#pragma once

namespace kinorex::platform {

// Whether reading recordings has had to wait for the disk, or has been served from the page
// cache, since the program started. The output files push what they have written to the disk
// only once it has: a conversion that waits for the disk anyway gets its output there at
// little cost (and the `sync` after it is short), while one served from the cache would be
// held to the disk's speed; its output is left for the kernel to write afterwards.
void noteRecordingReadWaited();
bool recordingReadsWaitForDisk();

}  // namespace kinorex::platform
