// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// A small window for the on-screen check of the file list: a press on it
// starts a drag offering copy and move of the local files named on the
// command line (or of plain text with --text), and prints the action the
// drop target chose ("drop action N", Qt::DropAction's value) when the drag
// ends. Its window is titled "drag source" and sits at the screen's top
// left corner.
#include <cstdio>

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class DragSource : public QWidget {
 public:
  DragSource(QStringList paths, bool text) : paths_(std::move(paths)), text_(text) {}

 protected:
  void mousePressEvent(QMouseEvent*) override {
    auto* mime = new QMimeData;
    if (text_) {
      mime->setText(QStringLiteral("plain text"));
    } else {
      QList<QUrl> urls;
      for (const QString& path : paths_) urls << QUrl::fromLocalFile(path);
      mime->setUrls(urls);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction);
    std::printf("drop action %d\n", static_cast<int>(action));
    std::fflush(stdout);
  }

 private:
  QStringList paths_;
  bool text_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QStringList paths;
  bool text = false;
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    if (argument == QLatin1String("--text")) {
      text = true;
    } else {
      paths << argument;
    }
  }
  DragSource source(paths, text);
  source.setWindowTitle(QStringLiteral("drag source"));
  source.setGeometry(0, 0, 200, 120);
  source.show();
  return QApplication::exec();
}
