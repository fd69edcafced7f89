// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/file_list_model.h"

#include <stdexcept>

namespace tarnwick {

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

int FileListModel::Count() const { return static_cast<int>(entries_.size()); }

std::string FileListModel::At(int position) const {
  if (position < 1 || position > Count()) {
    throw std::out_of_range("Index out of bounds: the file list has no entry " +
                            std::to_string(position));
  }
  return entries_[static_cast<std::size_t>(position - 1)];
}

void FileListModel::Append(const std::string& text) {
  const int row = Count();
  beginInsertRows(QModelIndex(), row, row);
  entries_.push_back(text);
  endInsertRows();
}

void FileListModel::appendAll(const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  const int first = Count();
  beginInsertRows(QModelIndex(), first,
                  first + static_cast<int>(texts.size()) - 1);
  entries_.insert(entries_.end(), texts.begin(), texts.end());
  endInsertRows();
}

bool FileListModel::removeAt(int position) {
  if (position < 1 || position > Count()) return false;
  beginRemoveRows(QModelIndex(), position - 1, position - 1);
  entries_.erase(entries_.begin() + (position - 1));
  endRemoveRows();
  return true;
}

bool FileListModel::setTextAt(int position, const std::string& text) {
  if (position < 1 || position > Count()) return false;
  entries_[static_cast<std::size_t>(position - 1)] = text;
  const QModelIndex changed = index(position - 1, 0);
  emit dataChanged(changed, changed, {Qt::DisplayRole});
  return true;
}

void FileListModel::clear() {
  if (entries_.empty()) return;
  beginResetModel();
  entries_.clear();
  endResetModel();
}

void FileListModel::setColumnCaption(const QString& caption) {
  caption_ = caption;
  emit headerDataChanged(Qt::Horizontal, 0, 0);
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  if (role == Qt::DisplayRole) {
    return QString::fromStdString(entries_[static_cast<std::size_t>(index.row())]);
  }
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation,
                                   int role) const {
  if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) {
    return caption_;
  }
  return {};
}

}  // namespace tarnwick
