#pragma once

// Mesa's software renderer bins every frame's triangles into some megabytes
// of small heap blocks and frees them all once the frame is rasterized.
// With glibc's default trim threshold the freed top of the heap goes back
// to the kernel every frame, and the next frame faults it in again page by
// page: about a thousand page faults a frame for the batched crowd, as much
// CPU as the batching saves. Keeping the freed memory for reuse costs no
// more than the largest frame's bins. Elsewhere it does nothing.
void KeepFreedHeapForReuse();
