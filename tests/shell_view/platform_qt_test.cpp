// The Qt backends of the save dialog and the status area.
#include <QFileDialog>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>

#include <vector>

#include "platform/save_dialog_qt_view.h"
#include "platform/status_icon_qt_view.h"
#include "tests/shell_view/view_fixture.h"

namespace vexo {
namespace {

TEST(QtSaveDialogTest, FiltersCarryTheirPatterns) {
  const Bytes filter = Gb("网页文件(*.htm)|*.htm|数据文件(*.txt)|*.txt");
  EXPECT_EQ(NameFilters(filter), QStringList({Q("网页文件(*.htm)"), Q("数据文件(*.txt)")}));
  EXPECT_EQ(NameFilters(Gb("网页(*.txt)|*.htm")), QStringList({Q("网页(*.txt) (*.htm)")}));
  EXPECT_EQ(NameFilters("Pages|*.htm;*.html"), QStringList({Q("Pages (*.htm *.html)")}));
  EXPECT_TRUE(NameFilters("").isEmpty());
  EXPECT_TRUE(NameFilters("Pages").isEmpty()) << "no pattern, no filter";
  // Bytes that are no GB text still give a filter with their pattern.
  const QStringList odd = NameFilters(Bytes("\xFF|*.a", 5));
  ASSERT_EQ(odd.size(), 1);
  EXPECT_TRUE(odd[0].endsWith(QStringLiteral(" (*.a)")));
}

TEST(QtSaveDialogTest, ShowsTheRequestAndAnswersTheChoice) {
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString();
  QtSaveDialogs dialogs;
  QString title;
  QString selected_filter;
  QString shown_folder;
  QTimer::singleShot(0, [&] {
    QFileDialog* d = dialogs.OpenDialog();
    if (!d) return;
    title = d->windowTitle();
    selected_filter = d->selectedNameFilter();
    shown_folder = d->directory().absolutePath();
    d->selectNameFilter(d->nameFilters().at(0));
    d->selectFile(dir.path() + QStringLiteral("/back.htm"));
    static_cast<QDialog*>(d)->accept();
  });
  const SaveDialogAnswer a = dialogs.Run(
      {Gb("Vexo信息导出"), "back", Gb("网页文件(*.htm)|*.htm|数据文件(*.txt)|*.txt"), 2, folder});
  EXPECT_EQ(title, Q("Vexo信息导出"));
  EXPECT_EQ(selected_filter, Q("数据文件(*.txt)")) << "the requested filter first";
  EXPECT_EQ(shown_folder, dir.path());
  ASSERT_TRUE(a.accepted);
  EXPECT_EQ(a.path, folder + "/back.htm");
  EXPECT_EQ(a.filter_index, 1);
}

TEST(QtSaveDialogTest, CancelAndSessionEndAnswerNotAccepted) {
  QtSaveDialogs dialogs;
  QTimer::singleShot(0, [&] {
    if (QFileDialog* d = dialogs.OpenDialog()) d->reject();
  });
  EXPECT_FALSE(dialogs.Run({"t", "back", "A|*.a", 1, "/nonexistent/folder"}).accepted);
  QTimer::singleShot(0, [&] { dialogs.CancelEverything(); });
  EXPECT_FALSE(dialogs.Run({"t", "back", "A|*.a", 7, ""}).accepted) << "index out of range";
  EXPECT_FALSE(dialogs.Run({"t", "back", "A|*.a", 1, ""}).accepted);
  EXPECT_EQ(dialogs.OpenDialog(), nullptr);
}

TEST(QtStatusIconTest, ToolkitClicksBecomeTheDesktopsMouseEvents) {
  QtStatusIcon icon;
  std::vector<StatusIconMouse> seen;
  icon.on_mouse = [&seen](StatusIconMouse m) { seen.push_back(m); };
  icon.Activated(QSystemTrayIcon::Trigger);
  icon.Activated(QSystemTrayIcon::DoubleClick);
  icon.Activated(QSystemTrayIcon::Context);
  icon.Activated(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(seen, (std::vector<StatusIconMouse>{
                      StatusIconMouse::LeftUp, StatusIconMouse::LeftDoubleClick,
                      StatusIconMouse::LeftUp, StatusIconMouse::RightUp, StatusIconMouse::Other}));
  icon.on_mouse = nullptr;
  icon.Activated(QSystemTrayIcon::Trigger);  // dropped
  EXPECT_EQ(seen.size(), 5u);
}

TEST(QtStatusIconTest, WithoutAStatusAreaEveryRequestIsRefused) {
  if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "this desktop has a status area";
  QtStatusIcon icon;
  EXPECT_FALSE(icon.Add({":/vexo/vexo.png", "tip"}));
  EXPECT_FALSE(icon.Modify({":/vexo/vexo.png", "tip"}));
  EXPECT_FALSE(icon.Delete());
  EXPECT_FALSE(icon.Tray()->isVisible());
}

TEST(QtStatusIconTest, AHeldIconAsksNothingOfTheDesktopUntilReleasedThenShowsTheLastState) {
  QtStatusIcon removed;
  removed.Hold();
  EXPECT_TRUE(removed.Add({":/vexo/vexo.png", "tip"}));
  EXPECT_TRUE(removed.Delete());
  removed.Release();
  EXPECT_EQ(removed.Tray(), nullptr);  // nothing was left to show

  QtStatusIcon shown;
  shown.Hold();
  EXPECT_TRUE(shown.Add({":/vexo/vexo.png", "tip"}));
  EXPECT_FALSE(shown.Add({":/vexo/vexo.png", "tip"}));  // added already
  EXPECT_TRUE(shown.Modify({":/vexo/vexo.png", "later tip"}));
  EXPECT_EQ(shown.Tray(), nullptr);
  shown.Release();
  ASSERT_NE(shown.Tray(), nullptr);
  const bool area = QSystemTrayIcon::isSystemTrayAvailable();
  EXPECT_EQ(shown.Tray()->isVisible(), area);
  if (area) {
    EXPECT_EQ(shown.Tray()->toolTip(), QString("later tip"));
  }
  // Where the desktop has no status area the icon is off, as if refused.
  EXPECT_EQ(shown.Modify({":/vexo/vexo.png", "tip"}), area);
}

TEST(QtStatusIconTest, AHandlerMayReplaceItselfWhileRunning) {
  QtStatusIcon icon;
  int calls = 0;
  icon.on_mouse = [&](StatusIconMouse) {
    ++calls;
    icon.on_mouse = nullptr;
  };
  icon.Activated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(calls, 2) << "the whole double click reaches the handler that was set";
}

}  // namespace
}  // namespace vexo
