#include "viewer/make1.h"

#include "platform/quietly.h"
#include "texts/texts.h"
#include "vexo_version.h"

namespace vexo {

Tmake::Tmake(BrowserLauncher& browser) : browser_(browser) {
  const ViewerTexts& t = ViewerText();
  caption = t.about_caption;
  Label9.SetCaption("\n" + t.about_version + kVersion + "  " + t.about_publisher + "\n");
  Label1.SetCaption(t.about_site);
  Label10.SetCaption(kPublisherHomePage);
  Label10.SetFontColor(0x0000FF);
}

void Tmake::Label10Click() {
  Quietly([&] { browser_.OpenAddress(Label10.Caption()); });
}

}  // namespace vexo
