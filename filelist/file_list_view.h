// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// ListView1: the file list shown in report view, one column with a header.
//
// Besides showing the entries, the list
// - takes files and folders dropped from a file manager (local file
//   addresses) and hands their paths to the window; other drags are refused
//   while they pass over it, so the no-drop pointer shows;
// - removes the selected entry on the Delete key (whatever modifiers are
//   held) and on a double-click, one entry each time, never while the
//   window is busy;
// - lets the user reorder the entries with the mouse: a left-button press
//   inside the list starts dragging, a left press on an entry picks it, and
//   while dragging every move over an entry with another text exchanges the
//   two texts, so the picked path travels with the pointer. Any release,
//   a press of another button, a menu opening over the list, the list
//   losing focus, or a move without the left button held (the button was
//   let go elsewhere) ends dragging. Dragging entries never starts a
//   drag-and-drop operation.
#ifndef TARNWICK_FILELIST_FILE_LIST_VIEW_H_
#define TARNWICK_FILELIST_FILE_LIST_VIEW_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QCursor>
#include <QPersistentModelIndex>
#include <QTreeView>

class QMimeData;

namespace tarnwick {

class FileListModel;

// While dragging an entry, an exchange scrolls the list one entry ahead
// when the pointer's screen row lies above or below this band (inclusive).
inline constexpr int kScrollAheadTop = 305;
inline constexpr int kScrollAheadBottom = 364;

class FileListView : public QTreeView {
  Q_OBJECT

 public:
  // What the list asks of the window it sits on. Any member may be empty.
  struct Hooks {
    // The window's busy state: removal does nothing while it holds.
    std::function<bool()> is_busy;
    // Runs first on every mouse move over the list (the window's pointer
    // rule).
    std::function<void()> pointer_moved;
    // The pointer shown while an entry is picked; nothing keeps the
    // pointer the list has.
    std::function<std::optional<QCursor>()> drag_pointer;
    // The pointer's row on the whole screen, in screen pixels; when empty,
    // QCursor::pos().y().
    std::function<int()> screen_y;
    // The local paths of a drop, in the drag source's order.
    std::function<void(const std::vector<std::string>&)> paths_dropped;
  };

  explicit FileListView(FileListModel* model, QWidget* parent = nullptr);

  FileListModel* listModel() const { return model_; }
  Hooks& hooks() { return hooks_; }

  // The selected entry's 1-based position, or 0 when none is selected.
  int selectedPosition() const;

  // Removes the selected entry. Does nothing (false) while busy, on an
  // empty list or with nothing selected.
  bool removeSelected();

  // True from a left press inside the list until dragging ends.
  bool isDragging() const { return is_dragging_; }
  // The picked entry's 1-based position; 0 before any entry was picked and
  // once the picked entry has left the list.
  int dragEntryPosition() const;

  // The local paths a drag carries, in order, as byte strings exactly as
  // the file system names them (percent escapes decoded, so names that are
  // not valid UTF-8 survive); addresses that are not local files are left
  // out. Empty when the data carries no local file.
  static std::vector<std::string> droppedPaths(const QMimeData* data);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void endDragging();
  void pickSelectedEntry();
  void moveStep(const QPoint& position);
  void scrollAhead(int position);

  FileListModel* model_;
  Hooks hooks_;
  bool is_dragging_ = false;
  // Follows its entry when entries before it are removed; invalid once the
  // entry itself is removed or the list is cleared.
  QPersistentModelIndex drag_entry_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_FILE_LIST_VIEW_H_
