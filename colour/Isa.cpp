#include "Isa.h"

namespace corvcolor {

CIsa BestIsa() {
    static const CIsa best = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? CIsa::kAvx2 : CIsa::kPlain;
    }();
    return best;
}

}  // namespace corvcolor
