#pragma once
// The about box `Tmake`: the publisher line and the publisher's address, which
// opens in the browser when clicked.

#include "platform/browser.h"
#include "platform/components.h"

namespace vexo {

class Tmake {
 public:
  explicit Tmake(BrowserLauncher& browser);
  Tmake(const Tmake&) = delete;
  Tmake& operator=(const Tmake&) = delete;

  void Label10Click();

  FormWindow window{300, 190};
  Bytes caption;  // "关于Vexo"
  Label Label9;   // three word-wrapped lines: "", the publisher line, ""
  Label Label1;   // "官方网站："
  Label Label10;  // the publisher's address, blue and underlined

 private:
  BrowserLauncher& browser_;
};

}  // namespace vexo
