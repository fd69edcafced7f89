// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/main_window_layout.h"

#include <array>

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/main_window_texts.h"
#include "batch/batch_texts.h"
#include "filelist/file_list_view.h"
#include "ui/design_fonts.h"

namespace tarnwick {
namespace {

template <typename Control>
Control* Place(Control* control, const char* name, const QRect& rect) {
  control->setObjectName(QString::fromUtf8(name));
  control->setGeometry(rect);
  return control;
}

QPushButton* AddPushButton(QWidget* parent, const char* name, const char* text,
                           const QRect& rect) {
  auto* button = Place(new QPushButton(QString::fromUtf8(text), parent), name, rect);
  button->setFont(PushButtonFont());
  button->setAutoDefault(false);
  button->setMouseTracking(true);
  return button;
}

QGroupBox* AddFrame(QWidget* parent, const char* name, const char* text,
                    const QRect& rect) {
  auto* frame = Place(new QGroupBox(QString::fromUtf8(text), parent), name, rect);
  frame->setMouseTracking(true);
  return frame;
}

}  // namespace

TextProgressBar::TextProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
}

void TextProgressBar::setShownText(const QString& text) {
  shown_text_ = text;
  update();
}

MainWindowControls BuildMainWindowControls(QWidget& form, FileListModel* model) {
  form.setFixedSize(TwipsToPixels(kClientWidthTwips),
                    TwipsToPixels(kClientHeightTwips));
  form.setFont(WindowFont());
  QPalette palette = form.palette();
  palette.setColor(QPalette::Window, Qt::white);
  form.setPalette(palette);
  form.setAutoFillBackground(true);
  form.setMouseTracking(true);

  MainWindowControls c;
  c.help = AddPushButton(&form, "PushButton5", texts::kHelpButton,
                         TwipsRect(120, 120, 7800, 405));
  c.list = Place(new FileListView(model, &form), "ListView1",
                 TwipsRect(120, 630, 7800, 2535));
  c.list->setToolTip(QString::fromUtf8(texts::kFileListToolTip));
  c.add_files = AddPushButton(&form, "PushButton7", texts::kAddFilesButton,
                              TwipsRect(120, 3250, 3840, 405));
  c.add_folder = AddPushButton(&form, "PushButton8", texts::kAddFolderButton,
                               TwipsRect(4080, 3250, 3840, 405));
  c.clear_list = AddPushButton(&form, "PushButton9", texts::kClearListButton,
                               TwipsRect(120, 3760, 3840, 405));
  c.load_samples = AddPushButton(&form, "PushButton1", texts::kLoadSamplesButton,
                                 TwipsRect(4080, 3760, 3840, 405));
  c.remove_options = AddFrame(&form, "Frame1", texts::kRemoveOptionsFrame,
                              TwipsRect(120, 4245, 7800, 800));
  c.chooser = Place(new QComboBox(c.remove_options), "Combo1",
                    TwipsRect(240, 300, 7320, 345));
  c.chooser->setEditable(false);
  c.chooser->setMaxVisibleItems(12);
  c.output_frame = AddFrame(&form, "Frame2", texts::kOutputFolderFrame,
                            TwipsRect(120, 5100, 7800, 825));
  c.output_folder = Place(new QLineEdit(c.output_frame), "Text1",
                          TwipsRect(240, 300, 6660, 345));
  c.browse = AddPushButton(c.output_frame, "PushButton2", texts::kBrowseButton,
                           TwipsRect(6960, 300, 600, 345));
  c.start = AddPushButton(&form, "PushButton10", texts::kStartButton,
                          TwipsRect(120, 6045, 7800, 405));
  c.progress = Place(new TextProgressBar(&form), "ProgressBar1",
                     TwipsRect(120, 6570, 7800, 405));
  c.progress->setShownText(QString::fromUtf8(batch_texts::kProgressIdle));

  // Tab order 0 to 12. The bar (1) and the frames (7, 10) take no focus,
  // so the chain links the controls that do.
  const std::array<QWidget*, 13> tab_order = {
      c.list,       c.progress,       c.help,       c.add_files, c.add_folder,
      c.clear_list, c.start,          c.remove_options, c.chooser,
      c.load_samples, c.output_frame, c.output_folder, c.browse};
  QWidget* previous = nullptr;
  for (QWidget* control : tab_order) {
    if (control->focusPolicy() == Qt::NoFocus) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, control);
    previous = control;
  }
  return c;
}

}  // namespace tarnwick
