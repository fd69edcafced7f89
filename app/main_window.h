// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// MainWindow (object name "Form1"): the file list, the operation chooser,
// the output folder box and the command buttons. It is the batch run's host.
// Methods of the project's Qt classes are named in Qt's camelCase; the
// overrides of plain interfaces (BatchHost, FileList, ...) keep theirs.
#ifndef TARNWICK_APP_MAIN_WINDOW_H_
#define TARNWICK_APP_MAIN_WINDOW_H_

#include <optional>
#include <string>
#include <vector>

#include <QCursor>
#include <QWidget>

#include "app/main_window_layout.h"
#include "app/window_services.h"
#include "batch/batch_host.h"
#include "journal/run_history.h"

namespace tarnwick {

class FileListModel;

class MainWindow : public QWidget, public BatchHost {
  Q_OBJECT

 public:
  explicit MainWindow(WindowServices& services, QWidget* parent = nullptr);

  // Start-up: the load steps, run once before the window is first shown.
  void load();

  const MainWindowControls& controls() const { return controls_; }
  FileListModel& fileList() { return *model_; }
  DialogResults& dialogResults() { return results_; }
  WindowServices& services() { return services_; }
  // The runs this window reports and undoes, in the journal the
  // environment names when the window is made (journal_store.h).
  RunHistory& runHistory() { return run_history_; }

  // The busy state: the window's pointer is the hourglass.
  bool isBusy() const;
  bool hasHandPointer() const { return hand_pointer_.has_value(); }
  // The unrounded value last handed to the progress bar.
  double progressValue() const { return progress_value_; }

  // The pointer rule: the hand pointer over push buttons, the default
  // pointer over the window and its frames; never in the busy state.
  void showHandPointer();
  void showDefaultPointer();

  // BatchHost.
  int FileCount() override;
  std::string FileAt(int position) override;
  std::string OutputFolderText() override;
  std::string ChooserText() override;
  void SetProgressValue(double value) override;
  void SetProgressText(const std::string& text) override;
  void ProcessEvents() override;
  void SetBusy(bool busy) override;
  void ShowRemoveDialog(const std::string& caption,
                        DialogResults& results) override;
  void ShowFindReplaceDialog(const std::string& caption,
                             DialogResults& results) override;
  void ShowMessage(const std::string& text) override;
  ErrorReporter& Reporter() override;
  SettingsStore& Settings() override;
  // Replacements of files that hold content of their own are flushed to
  // disk in groups, as on the command line.
  std::optional<GroupSettings> WriteGroups() override { return GroupSettings{}; }

 public slots:
  void addFiles();        // PushButton7
  void addFolder();       // PushButton8
  void loadSamples();     // PushButton1
  void browseOutput();    // PushButton2
  void showHelp();        // PushButton5
  void clearList();       // PushButton9
  void startRemoving();   // PushButton10

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void connectFileList();
  void dropPaths(const std::vector<std::string>& paths);
  void chooserChanged(int position);
  void outputFolderChanged(const QString& text);
  void applySkin();
  void centreOnScreen();

  WindowServices& services_;
  FileListModel* model_;
  MainWindowControls controls_;
  DialogResults results_;
  std::optional<QCursor> hand_pointer_;
  double progress_value_ = 0;
  int work_depth_ = 0;  // event loops turned from inside a command
  bool shown_once_ = false;
  RunHistory run_history_;
};

}  // namespace tarnwick

#endif  // TARNWICK_APP_MAIN_WINDOW_H_
