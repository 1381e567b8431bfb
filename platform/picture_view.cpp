#include "platform/picture_view.h"

#include <QFileInfo>
#include <QImageReader>

namespace vexo {

QPixmap LoadPicture(const QString& path) {
  QImageReader reader(path, QFileInfo(path).suffix().toLower().toLatin1());
  reader.setAutoDetectImageFormat(false);
  const QImage image = reader.read();
  return image.isNull() ? QPixmap(path) : QPixmap::fromImage(image);
}

QIcon LoadIcon(const QString& path) {
  const QPixmap picture = LoadPicture(path);
  return picture.isNull() ? QIcon() : QIcon(picture);
}

}  // namespace vexo
