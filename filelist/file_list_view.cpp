// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/file_list_view.h"

#include <QByteArray>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include "filelist/file_list_model.h"

namespace tarnwick {
namespace {

// The path bytes of a local file address. The address keeps bytes that are
// not valid UTF-8 as percent escapes, which toLocalFile() would replace.
std::string LocalPathBytes(const QUrl& url) {
  if (!url.host().isEmpty()) return url.toLocalFile().toStdString();
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1())
      .toStdString();
}

bool CarriesLocalFiles(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return false;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) return true;
  }
  return false;
}

// Accepts a drag of local files as a copy, so that no drag source takes
// the drop for a move and deletes its files; refuses anything else.
void AcceptFilesOnly(QDropEvent* event) {
  if (!CarriesLocalFiles(event->mimeData())) {
    event->ignore();
    return;
  }
  if (event->possibleActions() & Qt::CopyAction) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->acceptProposedAction();
  }
}

}  // namespace

FileListView::FileListView(FileListModel* model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setModel(model);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideRight);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setStretchLastSection(false);
  header()->setSectionsMovable(false);

  // Files come in from outside; entries never leave by drag and drop (the
  // mouse reorders them instead, see file_list_view_reorder.cpp).
  setDragDropMode(QAbstractItemView::DropOnly);
  setDragEnabled(false);
  setDropIndicatorShown(false);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  // Moves without a button held reach the list too: a drag whose release
  // the list never received goes on carrying the picked entry.
  setMouseTracking(true);
  viewport()->setMouseTracking(true);
}

int FileListView::selectedPosition() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || !selectionModel()->isSelected(current)) return 0;
  return current.row() + 1;
}

bool FileListView::removeSelected() {
  if (hooks_.is_busy && hooks_.is_busy()) return false;
  if (model_->Count() == 0) return false;
  const int position = selectedPosition();
  if (position == 0) return false;
  return model_->removeAt(position);
}

int FileListView::dragEntryPosition() const {
  return drag_entry_.isValid() ? drag_entry_.row() + 1 : 0;
}

std::vector<std::string> FileListView::droppedPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    std::string path = LocalPathBytes(url);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

void FileListView::dragEnterEvent(QDragEnterEvent* event) { AcceptFilesOnly(event); }

void FileListView::dragMoveEvent(QDragMoveEvent* event) { AcceptFilesOnly(event); }

void FileListView::dropEvent(QDropEvent* event) {
  AcceptFilesOnly(event);
  if (!event->isAccepted()) return;
  const std::vector<std::string> paths = droppedPaths(event->mimeData());
  if (hooks_.paths_dropped) hooks_.paths_dropped(paths);
}

void FileListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    removeSelected();
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

}  // namespace tarnwick
