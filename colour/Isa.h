#pragma once

namespace corvcolor {

// Instruction sets the per-pixel kernels are built for; every one gives the
// same bytes.
enum class CIsa { kPlain, kAvx2 };

// The best one this processor runs, found once.
CIsa BestIsa();

}  // namespace corvcolor
