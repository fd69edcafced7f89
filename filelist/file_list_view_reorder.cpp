// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// Reordering the file list with the mouse: the press, move, release and
// double-click handlers of the list.
#include <QCursor>
#include <QMouseEvent>

#include "filelist/file_list_model.h"
#include "filelist/file_list_view.h"

namespace tarnwick {

// Only the left button reorders. Any other press (a right-click opening the
// list's menu, a middle click) ends dragging and picks nothing; the list's
// own handling still selects the entry under the pointer.
void FileListView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    endDragging();
    QTreeView::mousePressEvent(event);
    return;
  }
  is_dragging_ = true;
  QTreeView::mousePressEvent(event);
  if (indexAt(event->position().toPoint()).isValid()) pickSelectedEntry();
}

void FileListView::endDragging() {
  is_dragging_ = false;
  viewport()->setCursor(Qt::ArrowCursor);
}

// A menu opening over the list, or the list losing the keyboard to another
// window or a menu, ends dragging: the release may never reach the list.
bool FileListView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ContextMenu) endDragging();
  return QTreeView::viewportEvent(event);
}

void FileListView::focusOutEvent(QFocusEvent* event) {
  endDragging();
  QTreeView::focusOutEvent(event);
}

// A press on an entry picks it: the drag pointer when its image loads, and
// the selected entry becomes the one carried along.
void FileListView::pickSelectedEntry() {
  if (hooks_.drag_pointer) {
    if (const std::optional<QCursor> pointer = hooks_.drag_pointer()) {
      viewport()->setCursor(*pointer);
    }
  }
  const int selected = selectedPosition();
  drag_entry_ = selected > 0 ? QPersistentModelIndex(model_->index(selected - 1, 0))
                             : QPersistentModelIndex();
}

void FileListView::mouseMoveEvent(QMouseEvent* event) {
  if (hooks_.pointer_moved) hooks_.pointer_moved();
  // With a button held the list's own handling would move the selection
  // (or start a rubber band); only hovering is left to it.
  if (event->buttons() == Qt::NoButton) QTreeView::mouseMoveEvent(event);
  // A move without the left button held comes after a release the list
  // did not receive (let go over another window or a menu): dragging ends.
  if (is_dragging_ && !(event->buttons() & Qt::LeftButton)) endDragging();
  if (is_dragging_) moveStep(event->position().toPoint());
}

void FileListView::moveStep(const QPoint& position) {
  const QModelIndex under = indexAt(position);
  if (!under.isValid() || !drag_entry_.isValid()) return;
  const int from = drag_entry_.row() + 1;
  const int to = under.row() + 1;
  const std::string picked = model_->At(from);
  const std::string target = model_->At(to);
  // Also the pointer still over the picked entry itself.
  if (target == picked) return;
  model_->setTextAt(from, target);
  model_->setTextAt(to, picked);
  selectionModel()->setCurrentIndex(
      under, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  drag_entry_ = QPersistentModelIndex(under);
  scrollAhead(to);
}

// position: the 1-based position the picked path has just reached.
void FileListView::scrollAhead(int position) {
  const int screen_y = hooks_.screen_y ? hooks_.screen_y() : QCursor::pos().y();
  if (screen_y < kScrollAheadTop) {
    if (position >= 2) scrollTo(model_->index(position - 2, 0), EnsureVisible);
  } else if (screen_y > kScrollAheadBottom) {
    if (position + 1 <= model_->Count()) {
      scrollTo(model_->index(position, 0), EnsureVisible);
    }
  }
}

// Qt hands the list the release of a press that began in it wherever the
// pointer is, so every such release ends dragging, whatever its button.
void FileListView::mouseReleaseEvent(QMouseEvent* event) {
  endDragging();
  QTreeView::mouseReleaseEvent(event);
}

// The second press of a double-click is a press like the first; then the
// selected entry (the one double-clicked, or whatever is selected when the
// double-click hits empty space) is removed.
void FileListView::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
  removeSelected();
}

}  // namespace tarnwick
