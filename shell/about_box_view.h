#pragma once
// The about box `Tmake` on screen: a fixed 300 x 190 white dialog with only a
// close button, centred on the screen, mirroring its model.

#include <QDialog>

#include <map>
#include <string>

#include "ui/mirror_view.h"

namespace vexo {

class Tmake;

class AboutBoxView : public QDialog {
 public:
  AboutBoxView(Tmake& box, QWidget* owner);

  // The widget of a component ("Label9", "Label1", "Label10").
  QWidget* Part(const std::string& name) const;

 private:
  ModelMirror mirror_;
  std::map<std::string, QWidget*> parts_;
};

}  // namespace vexo
