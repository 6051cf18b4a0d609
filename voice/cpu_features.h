#pragma once

// What the processor offers beyond the build's baseline. Code that has a faster copy for an
// instruction set compiles that copy with [[gnu::target(...)]] and asks here before calling
// it, so that the library still runs on any processor of its architecture.

#if defined(__x86_64__) || defined(__i386__)
#define KINOREX_VOICE_X86 1
#endif

namespace kinorex::voice {

#ifdef KINOREX_VOICE_X86
bool cpuHasAvx2();
bool cpuHasAvx512bw();  // AVX-512 F and BW, with the operating system saving their registers
#endif

}  // namespace kinorex::voice
