// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "engine/vector_loops.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <hwy/highway.h>
#include <hwy/targets.h>

namespace tarnwick {
namespace {

bool Requested(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' && std::strcmp(value, "0") != 0;
}

// Reads the environment once; restricts Highway's choice when a target is
// named.
bool Detect() {
  if (Requested("TARNWICK_PORTABLE_LOOPS")) return false;
  if (const char* wanted = std::getenv("TARNWICK_VECTOR_TARGET")) {
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
      // Lower bits are better targets.
      if (std::strcmp(hwy::TargetName(target), wanted) == 0) {
        hwy::DisableTargets(target - 1);
      }
    }
  }
  return true;
}

bool Detected() {
  static const bool vector = Detect();
  return vector;
}

std::atomic<bool> forced_portable{false};

}  // namespace

bool UseVectorLoops() noexcept {
  return Detected() && !forced_portable.load(std::memory_order_relaxed);
}

void ForcePortableLoops(bool force) noexcept {
  forced_portable.store(force, std::memory_order_relaxed);
}

std::string VectorLoopsInUse() {
  if (!UseVectorLoops()) return "portable";
  const std::int64_t targets = hwy::SupportedTargets() & HWY_TARGETS;
  return hwy::TargetName(targets & -targets);
}

std::vector<std::string> SupportedVectorTargets() {
  std::vector<std::string> names;
  for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
    names.emplace_back(hwy::TargetName(target));
  }
  return names;
}

}  // namespace tarnwick
