// Build-time maker of the files that an installation carries besides the
// programs: the icon in each size of the icon theme, scaled from the
// program's own picture, the help page and the shipped source sets.
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "parser/source_set.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "viewer/help_page.h"

namespace {

int Usage() {
  std::fputs("usage: vexo-assets icon PICTURE SIZE OUT.png | help OUT.htm | sources SET OUT.conf\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "icon" && argc == 5) {
    const QImage picture(QString::fromLocal8Bit(argv[2]));
    const int size = std::atoi(argv[3]);
    if (picture.isNull() || size <= 0) return 1;
    const QImage icon = picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32);
    return icon.save(QString::fromLocal8Bit(argv[4]), "PNG") ? 0 : 1;
  }
  if (verb == "help" && argc == 3) {
    // Line ends as the program's other text files have them.
    const vexo::Bytes html = vexo::ReplaceAll(vexo::HelpPageHtml(), "\n", "\r\n");
    return vexo::WriteFileAtomic(argv[2], html) ? 0 : 1;
  }
  if (verb == "sources" && argc == 4) {
    const std::string_view text = vexo::ShippedSourcesText(argv[2]);
    return !text.empty() && vexo::WriteFileAtomic(argv[3], text) ? 0 : 1;
  }
  return Usage();
}
