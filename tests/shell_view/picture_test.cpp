// Pictures are read by the format their name ends in, and still read when the
// name says another format or none.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/picture_view.h"
#include "shell/fvexo1_view.h"

namespace vexo {
namespace {

TEST(PictureTest, APictureIsReadWhateverItsNameSays) {
  RegisterPictures();
  QFile shipped(QStringLiteral(":/vexo/vexo.png"));
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QByteArray png = shipped.readAll();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char* name : {"a.png", "b.PNG", "c.gif", "d.jpg", "e"}) {
    SCOPED_TRACE(name);
    QFile file(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(png), png.size());
    file.close();
    EXPECT_EQ(LoadPicture(file.fileName()).size(), QSize(64, 64));
    EXPECT_FALSE(LoadIcon(file.fileName()).isNull());
  }
  EXPECT_TRUE(LoadPicture(dir.filePath(QStringLiteral("missing.png"))).isNull());
  EXPECT_TRUE(LoadIcon(dir.filePath(QStringLiteral("missing.png"))).isNull());
}

}  // namespace
}  // namespace vexo
