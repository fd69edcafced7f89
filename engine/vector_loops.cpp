#include "engine/vector_loops.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace tarnwick {
namespace {

bool PortableRequested() {
  const char* value = std::getenv("TARNWICK_PORTABLE_LOOPS");
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

struct Choice {
  bool search = false;
  bool compaction = false;
};

Choice Detect() {
  Choice choice;
#ifdef TARNWICK_HAVE_AVX512_PATH
  if (PortableRequested()) return choice;
  choice.search =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
  choice.compaction = choice.search && __builtin_cpu_supports("avx512vbmi") &&
                      __builtin_cpu_supports("avx512vbmi2") &&
                      __builtin_cpu_supports("bmi2");
#endif
  return choice;
}

const Choice& Detected() {
  static const Choice choice = Detect();
  return choice;
}

std::atomic<bool> forced_portable{false};

}  // namespace

bool UseVectorSearch() noexcept {
  return Detected().search && !forced_portable.load(std::memory_order_relaxed);
}

bool UseVectorCompaction() noexcept {
  return Detected().compaction &&
         !forced_portable.load(std::memory_order_relaxed);
}

void ForcePortableLoops(bool force) noexcept {
  forced_portable.store(force, std::memory_order_relaxed);
}

const char* VectorLoopsInUse() noexcept {
  return UseVectorSearch() ? "AVX-512" : "portable";
}

}  // namespace tarnwick
