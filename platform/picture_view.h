#pragma once
// The program's own pictures, read by the format their name ends in. Left to
// itself, Qt asks every installed image-format plugin whether it reads the
// file before it tries the formats it reads itself, loading each plugin and
// the libraries behind it at start-up; the program's pictures are PNG, which
// Qt reads built in.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vexo {

// A file of another format than its name says is read as Qt would.
QPixmap LoadPicture(const QString& path);
QIcon LoadIcon(const QString& path);

}  // namespace vexo
