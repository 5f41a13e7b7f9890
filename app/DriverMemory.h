#pragma once

// Software OpenGL (Mesa's llvmpipe) allocates its vertex and bin memory anew
// for every frame and frees it at the end. With the C library's default
// policy the freed top of the heap goes back to the kernel each time, and the
// next frame pays a page fault for every page it touches again: a third to a
// half of a busy frame. Called once at the start of a program that draws
// frames, this keeps freed memory mapped for reuse. It changes no pixel, only
// how long they take. Returns false where the C library has no such policy.
bool keepFreedMemoryMapped();
