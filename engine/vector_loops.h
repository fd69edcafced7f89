// The one place that decides whether the vector (AVX-512) loops of the
// engine run or the portable loops do. The vector loops run when the
// processor has the instructions they need, unless the environment variable
// TARNWICK_PORTABLE_LOOPS is set to anything but "" or "0" when the engine
// first asks, or a test forces the portable loops.
#ifndef TARNWICK_ENGINE_VECTOR_LOOPS_H_
#define TARNWICK_ENGINE_VECTOR_LOOPS_H_

#if defined(__x86_64__) && defined(__GNUC__)
#define TARNWICK_HAVE_AVX512_PATH 1
#endif

namespace tarnwick {

// AVX-512 with byte compares (avx512f, avx512bw): the byte search.
bool UseVectorSearch() noexcept;
// AVX-512 with byte compression as well (avx512vbmi, avx512vbmi2, bmi2):
// the byte compaction and the UTF-16 to UTF-8 conversion.
bool UseVectorCompaction() noexcept;

// For tests: true forces the portable loops, false returns to the choice
// made from the processor and the environment.
void ForcePortableLoops(bool force) noexcept;

// "AVX-512" or "portable": what UseVectorSearch() chooses now.
const char* VectorLoopsInUse() noexcept;

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_VECTOR_LOOPS_H_
