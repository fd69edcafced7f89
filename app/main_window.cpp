// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/main_window.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include "core/error_report.h"
#include "journal/journal_store.h"
#include "core/settings_store.h"
#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"

namespace tarnwick {
namespace {

constexpr char kChooserChangeIdentity[] = "Quelbrook2021/08/31.Form1.Combo1_Click ";
constexpr char kOutputFolderChangeIdentity[] =
    "Quelbrook2021/08/31.Form1.Text1_Change ";

}  // namespace

MainWindow::MainWindow(WindowServices& services, QWidget* parent)
    : QWidget(parent),
      services_(services),
      model_(new FileListModel(this)),
      run_history_(DefaultJournalFolder()) {
  setObjectName("Form1");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  controls_ = BuildMainWindowControls(*this, model_);
  setCursor(Qt::ArrowCursor);

  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->installEventFilter(this);
  }
  controls_.remove_options->installEventFilter(this);
  controls_.output_frame->installEventFilter(this);

  connect(controls_.chooser, &QComboBox::currentIndexChanged, this,
          &MainWindow::chooserChanged);
  connect(controls_.output_folder, &QLineEdit::textChanged, this,
          &MainWindow::outputFolderChanged);
  connect(controls_.help, &QPushButton::clicked, this, &MainWindow::showHelp);
  connect(controls_.add_files, &QPushButton::clicked, this, &MainWindow::addFiles);
  connect(controls_.clear_list, &QPushButton::clicked, this, &MainWindow::clearList);
  connect(controls_.browse, &QPushButton::clicked, this, &MainWindow::browseOutput);
  connect(controls_.start, &QPushButton::clicked, this, &MainWindow::startRemoving);
  connectFileList();
}

bool MainWindow::isBusy() const { return cursor().shape() == Qt::WaitCursor; }

void MainWindow::showHandPointer() {
  if (isBusy()) return;
  if (hand_pointer_) {
    setCursor(*hand_pointer_);
  } else {
    setCursor(Qt::ArrowCursor);
  }
}

void MainWindow::showDefaultPointer() {
  if (isBusy()) return;
  setCursor(Qt::ArrowCursor);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const auto type = event->type();
  // Enter presses a focused push button as Space does; no button is the
  // window's default.
  if (type == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button != nullptr &&
        (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
      if (!key->isAutoRepeat()) button->click();
      return true;
    }
  }
  if (type == QEvent::MouseMove || type == QEvent::Enter) {
    if (qobject_cast<QPushButton*>(watched) != nullptr) {
      showHandPointer();
    } else if (qobject_cast<QGroupBox*>(watched) != nullptr) {
      showDefaultPointer();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  // A move a control did not take (a push button's, say) comes up here; it
  // is not a move over the window itself.
  if (childAt(event->position().toPoint()) == nullptr) showDefaultPointer();
  QWidget::mouseMoveEvent(event);
}

void MainWindow::showEvent(QShowEvent* event) {
  if (!shown_once_) {
    shown_once_ = true;
    centreOnScreen();
  }
  QWidget::showEvent(event);
}

void MainWindow::centreOnScreen() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

void MainWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  // A run or scan on the stack would go on with the window gone: end now.
  // Every setting was stored when it changed, and every write is atomic.
  // Otherwise the program ends as its last window closes.
  if (work_depth_ > 0 && services_.exit_now) services_.exit_now();
}

// The change handlers have no trap of their own in the routine table; a
// failure to store is reported in the same form, so nothing escapes into
// the event loop.
void MainWindow::chooserChanged(int position) {
  if (position < 0) return;
  Trap trap(services_.reporter, kChooserChangeIdentity);
  trap.Run(100, [&] {
    services_.settings.SaveSetting(settings::kCombo1, std::to_string(position));
  });
}

void MainWindow::outputFolderChanged(const QString& text) {
  Trap trap(services_.reporter, kOutputFolderChangeIdentity);
  trap.Run(100, [&] {
    services_.settings.SaveSetting(settings::kOutputFolder, text.toStdString());
  });
}

// --- BatchHost ---

int MainWindow::FileCount() { return model_->Count(); }

std::string MainWindow::FileAt(int position) { return model_->At(position); }

std::string MainWindow::OutputFolderText() {
  return controls_.output_folder->text().toStdString();
}

std::string MainWindow::ChooserText() {
  return controls_.chooser->currentText().toStdString();
}

void MainWindow::SetProgressValue(double value) {
  progress_value_ = value;
  const double shown = std::isfinite(value) ? std::round(value) : 0.0;
  controls_.progress->setValue(static_cast<int>(std::clamp(shown, 0.0, 100.0)));
}

void MainWindow::SetProgressText(const std::string& text) {
  controls_.progress->setShownText(QString::fromStdString(text));
}

void MainWindow::ProcessEvents() {
  ++work_depth_;
  QCoreApplication::processEvents();
  --work_depth_;
}

void MainWindow::SetBusy(bool busy) {
  // The run ends busy with its last file done: a close that came during
  // that file ends the program now, as one during an earlier file does at
  // the next file. Left for later it would meet the "Done." box, which
  // blocks the window and drops the close.
  if (!busy && work_depth_ == 0 && isBusy()) ProcessEvents();
  setCursor(busy ? Qt::WaitCursor : Qt::ArrowCursor);
}

void MainWindow::ShowRemoveDialog(const std::string& caption, DialogResults& results) {
  ++work_depth_;
  services_.option_dialogs.ShowRemoveDialog(caption, results);
  --work_depth_;
}

void MainWindow::ShowFindReplaceDialog(const std::string& caption,
                                  DialogResults& results) {
  ++work_depth_;
  services_.option_dialogs.ShowFindReplaceDialog(caption, results);
  --work_depth_;
}

void MainWindow::ShowMessage(const std::string& text) {
  services_.messages.ShowMessage(text);
}

ErrorReporter& MainWindow::Reporter() { return services_.reporter; }

SettingsStore& MainWindow::Settings() { return services_.settings; }

}  // namespace tarnwick
