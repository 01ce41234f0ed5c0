#include "cpu_state.h"

void clearUpperVectorState()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vzeroupper");
#endif
}

void dirtyUpperVectorState()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vcmptrueps %%ymm15, %%ymm15, %%ymm15" ::: "xmm15");
#endif
}
