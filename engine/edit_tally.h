// What one operation did to one file: how many changes it made and the
// file's size before and after. A caller that wants to know opens a
// TallyScope around the operation; the operations then add to it. With
// dry_run set, the operations read and transform as usual but write nothing
// (no temporary file either): a preview.
#ifndef TARNWICK_ENGINE_EDIT_TALLY_H_
#define TARNWICK_ENGINE_EDIT_TALLY_H_

#include <cstdint>
#include <vector>

namespace tarnwick {

struct EditTally {
  bool dry_run = false;          // set by the caller
  std::uint64_t changes = 0;     // characters dropped, spaces removed,
                                 // empty lines removed, or matches replaced
  std::vector<std::uint64_t> per_pair;  // find and replace: matches per pair
  std::uint64_t bytes_before = 0;       // the file's size when read
  std::uint64_t bytes_after = 0;        // the size of what was (or would be)
                                        // written

  // Forgets the counts (not dry_run): an operation starting over on another
  // path calls it.
  void Reset() {
    changes = 0;
    per_pair.clear();
    bytes_before = 0;
    bytes_after = 0;
  }
};

// The tally of the innermost TallyScope on this thread, or nullptr.
EditTally* CurrentTally() noexcept;

class TallyScope {
 public:
  explicit TallyScope(EditTally& tally) noexcept;
  ~TallyScope();
  TallyScope(const TallyScope&) = delete;
  TallyScope& operator=(const TallyScope&) = delete;

 private:
  EditTally* previous_;
};

}  // namespace tarnwick

#endif  // TARNWICK_ENGINE_EDIT_TALLY_H_
