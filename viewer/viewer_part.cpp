#include "viewer/viewer_part.h"

#include <utility>

#include "texts/texts.h"

namespace vexo {

ViewerPart::ViewerPart(ViewerHost& host, ResultStore& store, ViewerServices services)
    : host_(host),
      store_(store),
      services_(std::move(services)),
      TrayIcon1(services_.status_icon ? *services_.status_icon : quiet_icon_) {
  links_ = {&M11, &M21, &M31, &M41, &M51, &M61, &M71, &M81};
  captions_ = {&M12, &M22, &M32, &M42, &M52, &M62, &M72, &M82};
  marks_ = {&x1, &x2, &x3, &x4, &x5, &x6, &x7, &x8};
  boxes_ = {&z1, &z2, &z3, &z4, &z5, &z6, &z7, &z8};
  InitViewerComponents();
}

ViewerPart::~ViewerPart() = default;

Label* ViewerPart::LinkLabel(int row) {
  return row >= 1 && row <= 8 ? links_[static_cast<std::size_t>(row - 1)] : nullptr;
}
Label* ViewerPart::CaptionLabel(int row) {
  return row >= 1 && row <= 8 ? captions_[static_cast<std::size_t>(row - 1)] : nullptr;
}
Label* ViewerPart::MarkCell(int row) {
  return row >= 1 && row <= 8 ? marks_[static_cast<std::size_t>(row - 1)] : nullptr;
}
Label* ViewerPart::RowBox(int row) {
  return row >= 1 && row <= 8 ? boxes_[static_cast<std::size_t>(row - 1)] : nullptr;
}

Bytes ViewerPart::RowText(int row, int which) const {
  if (row < 1 || row > 8) return {};
  const auto i = static_cast<std::size_t>(row - 1);
  return which == 1 ? links_[i]->Caption() : captions_[i]->Caption();
}

void ViewerPart::SetRowText(int row, int which, const Bytes& text) {
  if (row < 1 || row > 8) return;
  if (which != 1) {
    CaptionLabel(row)->SetCaption(text);
    return;
  }
  LinkLabel(row)->SetCaption(text);
  SetMarkCell(row, ByteAt(text, 1) == '*' ? ViewerText().mark : Bytes());
}

void ViewerPart::ShowWelcomeRows() {
  const ShellTexts& t = Texts();
  for (int row = 1; row <= 3; ++row) {
    LinkLabel(row)->SetCaption(t.welcome_link);
    CaptionLabel(row)->SetCaption(t.welcome_notice[row - 1]);
  }
  SaEdit.SetText("");
  sum1.SetCaption("0");
}

void ViewerPart::SetMarkCell(int row, const Bytes& text) {
  if (Label* cell = MarkCell(row)) cell->SetCaption(text);
}

}  // namespace vexo
