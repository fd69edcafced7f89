#include "batch/batch_run.h"

#include <stdexcept>
#include <string>

#include "batch/batch_texts.h"
#include "batch/run_guard.h"
#include "core/error_report.h"
#include "core/operation_keys.h"
#include "core/routine_identities.h"
#include "core/settings_store.h"
#include "engine/text_operations.h"
#include "files/path_helpers.h"
#include "files/platform.h"

namespace tarnwick {
namespace {

using batch_texts::kDone;
using batch_texts::kNoFiles;
using batch_texts::kNoFolder;
using batch_texts::kProgressIdle;
using batch_texts::kProgressPrefix;
constexpr char kRemoveCaption[] = "Remove X - File ";
constexpr char kFindReplaceCaption[] = "Find And Replace - File ";

// One press of "Start Removing". Every numbered step runs through the trap:
// a failing step is reported with its label and the run goes on with the
// step after it.
class BatchRun {
 public:
  BatchRun(BatchHost& host, DialogResults& results)
      : host_(host),
        results_(results),
        trap_(host.Reporter(), routines::kStartRemoving) {}

  BatchSummary Run() {
    Step(100, [] {});
    if (!Validate()) return summary_;
    summary_.validated = true;

    int count = 0;
    Step(108, [&] { count = host_.FileCount(); });
    for (int i = 1; i <= count; ++i) {
      ProcessEntry(i);
      ++summary_.files;
      Step(198, [] {});
    }

    Step(200, [&] { host_.SetBusy(false); });
    Step(202, [&] { host_.SetProgressValue(0); });
    Step(202, [&] { host_.SetProgressText(kProgressIdle); });
    Step(204, [&] { host_.ShowMessage(kDone); });
    return summary_;
  }

 private:
  template <typename Action>
  bool Step(int line, Action&& action) {
    const bool ok = trap_.Run(line, std::forward<Action>(action));
    if (!ok) ++summary_.failures;
    return ok;
  }

  // The list is tested before the folder, so an empty list wins.
  bool Validate() {
    bool empty = false;
    Step(104, [&] { empty = host_.FileCount() == 0; });
    if (empty) {
      Step(208, [&] { host_.ShowMessage(kNoFiles); });
      return false;
    }
    bool folder_missing = false;
    Step(106, [&] { folder_missing = !IsFolder(host_.OutputFolderText()); });
    if (folder_missing) {
      Step(206, [&] { host_.ShowMessage(kNoFolder); });
      return false;
    }
    return true;
  }

  void ProcessEntry(int i) {
    std::string source;
    // Without its path the entry cannot be worked on; going on with no
    // source would only reach other files.
    if (!Step(116, [&] { source = host_.FileAt(i); })) return;

    Step(114, [&] {
      const int now = host_.FileCount();
      if (now <= 0) throw std::domain_error("Division by zero");
      host_.SetProgressValue(static_cast<double>(i) / now * 100.0);
    });
    Step(114, [&] {
      host_.SetProgressText(kProgressPrefix + GetFileNamePart(source));
    });
    Step(110, [&] { host_.ProcessEvents(); });
    Step(112, [&] { host_.SetBusy(true); });

    std::string output;
    // Without the output folder the copy would land on some other path.
    if (!Step(118, [&] {
          output = host_.OutputFolderText() + kSeparatorText +
                   GetFileNamePart(source);
        })) {
      return;
    }
    Step(120, [&] { output = FixBackslashes(output); });

    // A copy that did not happen is reported and the entry is left alone:
    // the operation would otherwise work on whatever the output folder
    // happened to hold under that name.
    if (!Step(122, [&] {
          const CopyOutcome outcome = SafeCopyFile(source, output);
          if (!outcome.ok()) {
            throw std::runtime_error(
                DescribeCopyFailure(outcome, source, output));
          }
        })) {
      return;
    }
    Step(126, [&] { host_.SetBusy(true); });

    Dispatch(i, output);
  }

  void Dispatch(int i, const std::string& output) {
    std::string chooser;
    bool read = false;
    for (const OperationKey& key : OperationKeys()) {
      bool found = false;
      Step(key.test_line, [&] {
        if (!read) {
          read = true;
          chooser = LowerCase(host_.ChooserText());
        }
        found = chooser.find(key.key) != std::string::npos;
      });
      if (!found) continue;
      switch (key.kind) {
        case OperationKind::kFixed:
          Step(key.action_line, [&] { key.operation(output); });
          break;
        case OperationKind::kRemoveText:
          RemoveText(i, output);
          break;
        case OperationKind::kFindAndReplace:
          FindAndReplace(i, output);
          break;
      }
      return;
    }
    // No key: a separator line or nothing chosen; the file is only copied.
  }

  void RemoveText(int i, const std::string& output) {
    Step(162, [&] { results_.find_what.clear(); });
    std::string caption;
    Step(164, [&] { caption = kRemoveCaption + std::to_string(i) + ". "; });
    Step(166, [&] { host_.ShowRemoveDialog(caption, results_); });
    bool cancelled = false;
    Step(168, [&] { cancelled = results_.find_what.empty(); });
    if (cancelled) return;
    std::u16string find;
    Step(170, [&] { find = results_.find_what; });
    Step(172, [&] { ReplaceInFile(output, find, u""); });
  }

  void FindAndReplace(int i, const std::string& output) {
    // Read afresh for every file: ticking the box in one file's dialog
    // makes the later files reuse that answer. When the setting cannot be
    // read, the user is asked.
    std::int32_t reuse = 0;
    Step(176, [&] {
      reuse = ToInt32(
          host_.Settings().GetSetting(settings::kForm3Check1, "0"));
    });
    bool reuse_answer = false;
    Step(178, [&] { reuse_answer = reuse != 0 && !first_showing_; });
    if (!reuse_answer) {
      Step(180, [&] { first_showing_ = false; });
      Step(182, [&] { results_.find_what.clear(); });
      Step(184, [&] { results_.replace_with.clear(); });
      std::string caption;
      Step(186, [&] {
        caption = kFindReplaceCaption + std::to_string(i) + ". ";
      });
      Step(188, [&] { host_.ShowFindReplaceDialog(caption, results_); });
    }
    bool skip = false;
    Step(190, [&] {
      skip = results_.find_what.empty() || results_.replace_with.empty();
    });
    if (skip) return;
    std::u16string find;
    std::u16string replace;
    Step(192, [&] { find = results_.find_what; });
    Step(194, [&] { replace = results_.replace_with; });
    Step(196, [&] { ReplaceInFile(output, find, replace); });
  }

  BatchHost& host_;
  DialogResults& results_;
  Trap trap_;
  BatchSummary summary_;
  bool first_showing_ = true;
};

}  // namespace

BatchSummary StartRemoving(BatchHost& host, DialogResults& results) {
  RunGuard guard;
  if (!guard.owns_run()) {
    BatchSummary ignored;
    ignored.already_running = true;
    return ignored;
  }
  return BatchRun(host, results).Run();
}

}  // namespace tarnwick
