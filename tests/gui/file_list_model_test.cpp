// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

#include "filelist/file_list_model.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>

#include "filelist/file_list_view.h"

namespace tarnwick {
namespace {

TEST(FileListModelTest, KeepsTextsInAppendOrderWithDuplicates) {
  FileListModel model;
  model.Append("/b.txt");
  model.Append("/a.txt");
  model.Append("/b.txt");
  ASSERT_EQ(model.Count(), 3);
  EXPECT_EQ(model.At(1), "/b.txt");
  EXPECT_EQ(model.At(2), "/a.txt");
  EXPECT_EQ(model.At(3), "/b.txt");
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "/a.txt");
  EXPECT_FALSE(model.data(model.index(1), Qt::DecorationRole).isValid());
  EXPECT_THROW(model.At(0), std::out_of_range);
  EXPECT_THROW(model.At(4), std::out_of_range);
}

TEST(FileListModelTest, IsInFileListComparesExactly) {
  FileListModel model;
  EXPECT_FALSE(IsInFileList(model, "/A.txt"));
  model.Append("/A.txt");
  EXPECT_TRUE(IsInFileList(model, "/A.txt"));
  EXPECT_FALSE(IsInFileList(model, "/a.txt"));
  EXPECT_FALSE(IsInFileList(model, "//A.txt"));
  EXPECT_FALSE(IsInFileList(model, "/A.txt "));
}

TEST(FileListModelTest, AppendAllInsertsOnceAndRemovalKeepsOrder) {
  FileListModel model;
  model.Append("/first");
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  model.appendAll({"/a", "/b", "/c"});
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted.at(0).at(1).toInt(), 1);
  EXPECT_EQ(inserted.at(0).at(2).toInt(), 3);
  model.appendAll({});
  EXPECT_EQ(inserted.count(), 1);

  EXPECT_TRUE(model.removeAt(3));
  EXPECT_EQ(model.entries(), (std::vector<std::string>{"/first", "/a", "/c"}));
  EXPECT_FALSE(model.removeAt(0));
  EXPECT_FALSE(model.removeAt(4));
  model.clear();
  EXPECT_EQ(model.Count(), 0);
}

TEST(FileListModelTest, ColumnCaptionIsSetWhenTheColumnIsAdded) {
  FileListModel model;
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "");
  QSignalSpy changed(&model, &QAbstractItemModel::headerDataChanged);
  model.setColumnCaption("File(s)");
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "File(s)");
}

TEST(FileListViewTest, SelectedPositionIsOneBased) {
  FileListModel model;
  FileListView view(&model);
  model.appendAll({"/a", "/b", "/c"});
  EXPECT_EQ(view.selectedPosition(), 0);
  view.setCurrentIndex(model.index(1));
  EXPECT_EQ(view.selectedPosition(), 2);
  EXPECT_FALSE(view.rootIsDecorated());
  EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
}

// Figures, not limits: how long 100,000 entries take to arrive in a shown
// list, at once and one by one.
TEST(FileListModelTest, HundredThousandEntriesStayFast) {
  constexpr int kEntries = 100000;
  std::vector<std::string> texts;
  texts.reserve(kEntries);
  for (int i = 0; i < kEntries; ++i) {
    texts.push_back("/home/user/documents/project/notes-" + std::to_string(i) + ".txt");
  }
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
  };

  FileListModel at_once;
  FileListView view_at_once(&at_once);
  view_at_once.resize(520, 169);
  view_at_once.show();
  auto start = Clock::now();
  at_once.appendAll(texts);
  QApplication::processEvents();
  view_at_once.scrollToBottom();
  QApplication::processEvents();
  const double all_ms = ms(Clock::now() - start);

  FileListModel one_by_one;
  FileListView view_one_by_one(&one_by_one);
  view_one_by_one.resize(520, 169);
  view_one_by_one.show();
  start = Clock::now();
  for (const std::string& text : texts) one_by_one.Append(text);
  QApplication::processEvents();
  const double single_ms = ms(Clock::now() - start);

  start = Clock::now();
  const bool found = IsInFileList(at_once, "/not/listed");
  const double search_ms = ms(Clock::now() - start);

  std::printf("100000 entries: appended at once %.1f ms, one by one %.1f ms, "
              "IsInFileList over all %.1f ms\n",
              all_ms, single_ms, search_ms);
  EXPECT_EQ(at_once.Count(), kEntries);
  EXPECT_EQ(one_by_one.Count(), kEntries);
  EXPECT_FALSE(found);
}

}  // namespace
}  // namespace tarnwick
