// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's controls at their design places: positions and sizes in
// twips (15 to a pixel), texts, fonts, object names and tab order.
#ifndef TARNWICK_APP_MAIN_WINDOW_LAYOUT_H_
#define TARNWICK_APP_MAIN_WINDOW_LAYOUT_H_

#include <QProgressBar>
#include <QRect>
#include <QString>

#include "ui/twips.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tarnwick {

class FileListModel;
class FileListView;

inline constexpr int kClientWidthTwips = 8040;
inline constexpr int kClientHeightTwips = 7095;
inline constexpr int kFileListColumnTwips = 7000;

// A progress bar that shows its text exactly as set: no "%" placeholders.
class TextProgressBar : public QProgressBar {
  Q_OBJECT

 public:
  explicit TextProgressBar(QWidget* parent = nullptr);
  void setShownText(const QString& text);
  QString text() const override { return shown_text_; }

 private:
  QString shown_text_;
};

struct MainWindowControls {
  QPushButton* help = nullptr;          // PushButton5
  FileListView* list = nullptr;         // ListView1
  QPushButton* add_files = nullptr;     // PushButton7
  QPushButton* add_folder = nullptr;    // PushButton8
  QPushButton* clear_list = nullptr;    // PushButton9
  QPushButton* load_samples = nullptr;  // PushButton1
  QGroupBox* remove_options = nullptr;  // Frame1
  QComboBox* chooser = nullptr;         // Combo1
  QGroupBox* output_frame = nullptr;    // Frame2
  QLineEdit* output_folder = nullptr;   // Text1
  QPushButton* browse = nullptr;        // PushButton2
  QPushButton* start = nullptr;         // PushButton10
  TextProgressBar* progress = nullptr;  // ProgressBar1
};

// Creates every control on form (which gets its fixed size, font and white
// background) and sets the tab order. The list shows model; the chooser
// starts empty (start-up fills it), the list without a column caption.
MainWindowControls BuildMainWindowControls(QWidget& form, FileListModel* model);

}  // namespace tarnwick

#endif  // TARNWICK_APP_MAIN_WINDOW_LAYOUT_H_
