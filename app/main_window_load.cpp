// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// MainWindow's start-up: the load steps, each under the trap with its line.
#include <stdexcept>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/app_icon.h"
#include "app/main_window.h"
#include "app/main_window_texts.h"
#include "app/start_up.h"
#include "core/error_report.h"
#include "core/product.h"
#include "core/routine_identities.h"
#include "core/settings_store.h"
#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"
#include "files/path_helpers.h"
#include "ui/pointer_file.h"
#include "ui/program_files.h"

namespace tarnwick {
namespace {

int StoredChooserPosition(const std::string& stored, int count) {
  int position = -1;
  try {
    position = ToInt16(stored);
  } catch (const std::exception&) {
    position = -1;
  }
  if (position < 0 || position >= count) {
    throw std::runtime_error(std::string(texts::kBadChooserPositionStart) +
                             stored + texts::kBadChooserPositionEnd);
  }
  return position;
}

}  // namespace

void MainWindow::applySkin() {
  if (!SkinFileExists(ProgramFolder())) return;
  const QColor button_face = QApplication::palette().color(QPalette::Button);
  for (QWidget* surface :
       {static_cast<QWidget*>(this),
        static_cast<QWidget*>(controls_.remove_options),
        static_cast<QWidget*>(controls_.output_frame)}) {
    QPalette palette = surface->palette();
    palette.setColor(QPalette::Window, button_face);
    surface->setPalette(palette);
  }
}

void MainWindow::load() {
  Trap trap(services_.reporter, routines::kMainLoad);
  trap.Run(100, [&] { applySkin(); });
  trap.Run(104, [&] { setWindowTitle(QString::fromUtf8(texts::kCaption)); });
  trap.Run(104, [&] { setWindowIcon(AppIcon()); });
  trap.Run(104, [&] { SetApplicationTitle(ShortAppTitle(product::kName)); });

  const std::string hand_file = ProgramFolder() + kHandCursorFile;
  bool hand_exists = false;
  trap.Run(106, [&] { hand_exists = PathExists(hand_file); });
  if (hand_exists) {
    trap.Run(108, [&] {
      hand_pointer_ = LoadPointerFile(hand_file);
      if (!hand_pointer_) {
        throw std::runtime_error(std::string(texts::kBadHandPointer) + hand_file);
      }
    });
  }

  trap.Run(110, [&] {
    if (services_.random.Draw1To100() == kHomePageDraw) {
      services_.urls.OpenUrl(product::kHomePage);
    }
  });

  trap.Run(128, [&] {
    model_->setColumnCaption(QString::fromUtf8(texts::kFileListColumn));
  });
  trap.Run(130, [&] {
    controls_.list->setColumnWidth(0, TwipsToPixels(kFileListColumnTwips));
  });

  {
    // Filling selects nothing; the restore below makes the one selection.
    const QSignalBlocker quiet(controls_.chooser);
    int line = 132;
    for (const char* entry : texts::kChooserEntries) {
      trap.Run(line, [&] { controls_.chooser->addItem(QString::fromUtf8(entry)); });
      line += 2;
    }
    controls_.chooser->setCurrentIndex(-1);
  }

  trap.Run(156, [&] {
    const std::string stored =
        services_.settings.GetSetting(settings::kCombo1, "0");
    controls_.chooser->setCurrentIndex(
        StoredChooserPosition(stored, controls_.chooser->count()));
  });

  trap.Run(158, [&] {
    const std::string folder = services_.settings.GetSetting(
        settings::kOutputFolder, DefaultOutputFolder());
    controls_.output_folder->setText(QString::fromStdString(folder));
  });
}

}  // namespace tarnwick
