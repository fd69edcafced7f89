// ListView1: the file list shown in report view, one column with a header.
#ifndef TARNWICK_FILELIST_FILE_LIST_VIEW_H_
#define TARNWICK_FILELIST_FILE_LIST_VIEW_H_

#include <QTreeView>

namespace tarnwick {

class FileListModel;

class FileListView : public QTreeView {
  Q_OBJECT

 public:
  explicit FileListView(FileListModel* model, QWidget* parent = nullptr);

  FileListModel* ListModel() const { return model_; }
  // The selected entry's 1-based position, or 0 when none is selected.
  int SelectedPosition() const;

 private:
  FileListModel* model_;
};

}  // namespace tarnwick

#endif  // TARNWICK_FILELIST_FILE_LIST_VIEW_H_
