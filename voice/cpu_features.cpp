#include "cpu_features.h"

namespace kinorex::voice {

#ifdef KINOREX_VOICE_X86
bool cpuHasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

bool cpuHasAvx512bw() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0;
    }();
    return has;
}
#endif

}  // namespace kinorex::voice
