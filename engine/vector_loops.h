// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The one place that decides whether the engine's vector loops run
// (vector_kernels.h) or its portable loops do, and which instruction set the
// vector loops use. The vector loops are compiled for every instruction set
// the compiler can target (on x86-64: SSE2, SSSE3, SSE4, AVX2, AVX-512; on
// ARM: NEON, SVE) and run on the best one that the processor has, unless
// - the environment variable TARNWICK_PORTABLE_LOOPS is set to anything but
//   "" or "0" when the engine first asks, or a test forces the portable
//   loops: then the portable loops run;
// - the environment variable TARNWICK_VECTOR_TARGET names one of
//   SupportedVectorTargets() when the engine first asks: then the vector
//   loops use that one (and no better one), as a benchmark or a test asks.
#ifndef TARNWICK_ENGINE_VECTOR_LOOPS_H_
#define TARNWICK_ENGINE_VECTOR_LOOPS_H_

#include <string>
#include <vector>

namespace tarnwick {

// Whether the vector loops run.
bool UseVectorLoops() noexcept;

// For tests: true forces the portable loops, false returns to the choice
// made from the processor and the environment.
void ForcePortableLoops(bool force) noexcept;

// The instruction set that the vector loops use now, by Highway's name
// ("AVX2", "AVX3" for AVX-512, "AVX3_DL" for AVX-512 with byte compression,
// "SSE4", "SSSE3", "EMU128" for the SSE2 baseline, "NEON", "SVE"...), or
// "portable" when the portable loops run.
std::string VectorLoopsInUse();

// The instruction sets that the vector loops were compiled for and that
// this processor runs, best first.
std::vector<std::string> SupportedVectorTargets();

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_VECTOR_LOOPS_H_
