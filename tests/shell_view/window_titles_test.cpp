// The program's title names the main window; the boxes and dialogs keep
// their own captions.
#include "shell/application.h"
#include "tests/shell_view/view_fixture.h"

namespace vexo {
namespace {

using WindowTitlesTest = ViewTest;

// On X11 Qt appends the application's display name, when one is set, to the
// title of every window: the program's title must not become that name.
TEST_F(WindowTitlesTest, TheProgramTitleNamesTheMainWindowOnly) {
  InitApplication(app_);
  MainView& v = Show();
  ASSERT_FALSE(Model().App().Title().empty());
  EXPECT_EQ(v.windowTitle(), QGb(Model().App().Title()));
  EXPECT_NE(QGuiApplication::applicationDisplayName(), QGb(Model().App().Title()));
}

}  // namespace
}  // namespace vexo
