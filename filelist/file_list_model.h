// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The file list's entries as a Qt list model: texts only, in the order they
// were appended, duplicates allowed. One column, whose caption is set when
// the main window adds it.
#ifndef TARNWICK_FILELIST_FILE_LIST_MODEL_H_
#define TARNWICK_FILELIST_FILE_LIST_MODEL_H_

#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QString>

#include "filelist/file_list.h"

namespace tarnwick {

class FileListModel : public QAbstractListModel, public FileList {
  Q_OBJECT

 public:
  explicit FileListModel(QObject* parent = nullptr);

  // FileList: positions are 1-based.
  int Count() const override;
  std::string At(int position) const override;
  void Append(const std::string& text) override;

  // Appends many entries in one insertion.
  void appendAll(const std::vector<std::string>& texts);
  // Removes the entry at a 1-based position; false when there is none.
  bool removeAt(int position);
  void clear();
  // Gives the entry at a 1-based position a new text; false when there is
  // no such entry.
  bool setTextAt(int position, const std::string& text);
  const std::vector<std::string>& entries() const { return entries_; }

  // The header text of the single column.
  void setColumnCaption(const QString& caption);
  QString columnCaption() const { return caption_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

 private:
  std::vector<std::string> entries_;
  QString caption_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_FILE_LIST_MODEL_H_
