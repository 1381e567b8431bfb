// Marking targets (stored as a leading "*" on the link line of their block),
// clearing the run's list, opening a target in the browser and the link shown
// on hover.
#include "platform/files.h"
#include "platform/quietly.h"
#include "texts/texts.h"
#include "viewer/modal_scope.h"
#include "viewer/run_numbers.h"
#include "viewer/viewer_part.h"

namespace vexo {

namespace {

// The longest address handed to the browser.
constexpr Pos kMaxAddress = 999;

bool ValidBlockNumber(const Bytes& line0, long long& n) {
  return TryTextToInt(line0, n) && n >= 1 && n <= kMaxBlockNumber;
}

// Index of row r's title line in the list, or -1. An empty label finds
// nothing: it is no target.
int FindTitleLine(const StringList& list, const Bytes& caption, const Bytes& link) {
  if (!caption.empty()) {
    const int t = ResultStore::IndexOfLine(list, caption);
    if (t >= 0) return t;
  }
  if (link.empty()) return -1;
  const int l = ResultStore::IndexOfLine(list, link);
  return l >= 1 ? l + 1 : -1;
}

}  // namespace

void ViewerPart::MarkClick(int row) {
  Label* cell = MarkCell(row);
  if (!cell) return;
  Quietly([&] {
    const Bytes& mark = ViewerText().mark;
    const bool marked = cell->Caption().empty();
    cell->SetCaption(marked ? mark : Bytes());

    if (Sa().empty()) SetSa("1");
    // The block of the page's start serves all eight rows.
    const long long c = ReadNumber(Sa()) / kBlockTargets;
    const long long sum = ReadNumber(sum1.Caption());
    StringList loaded;
    std::string file;
    StringList* list = nullptr;
    if (c < sum / kBlockTargets) {
      file = Store().SettledBlockFile(FirstBlockNumber(Store().OpenBlock(), sum) + c);
      if (!LoadBlock(file, loaded)) return;
      list = &loaded;
    } else {
      list = Store().EditOpenBlock();
      if (!list) return;
    }

    const int t = FindTitleLine(*list, CaptionLabel(row)->Caption(), LinkLabel(row)->Caption());
    if (t <= 1) return;
    Bytes& link = (*list)[static_cast<std::size_t>(t - 1)];
    const bool starred = ByteAt(link, 1) == '*';
    if (!marked && starred) Delete(link, 1, 1);
    if (marked && !starred) Insert("*", link, 1);
    LinkLabel(row)->SetCaption(link);

    if (list == &loaded) {
      SaveLines(file, loaded);
    } else {
      long long n = 0;
      if (ValidBlockNumber(list->front(), n) && FileExists(Store().SettledBlockFile(n)))
        SaveLines(Store().SettledBlockFile(n), *list);
    }
  });
}

void ViewerPart::Spt3Click() {
  Quietly([&] {
    MsgAnswer answer = MsgAnswer::Cancel;
    {
      ModalScope modal(modalGuard);
      Quietly([&] {
        answer = Messages().Show(
            {Texts().msg_caption, ViewerText().confirm_clear, MsgButtons::OkCancel});
      });
    }
    if (answer != MsgAnswer::Ok) return;

    // The cleared targets stay on disk for the duplicate test, and the run
    // goes on in a new block. Nothing is emptied unless they are saved.
    StringList* open = Store().EditOpenBlock();
    long long n = 0;
    const bool haveBlock = open && !open->empty() && ValidBlockNumber(open->front(), n);
    if (haveBlock) {
      const std::string temp = Store().TempFolder();
      if (!DirExists(temp)) CreateDir(temp);
      if (!Store().SaveWaitingBlocks()) return;  // the store told of it
      if (!SaveLines(Store().BlockFile(n), *open)) {
        host_.SaveFailed(Store().BlockFile(n));
        return;
      }
    }

    ss.SetCaption("0");
    sum1.SetCaption("0");
    Store().SetTargetCount(0);
    SetSa("0");
    for (int row = 1; row <= 8; ++row) {
      SetRowText(row, 1, "");
      SetRowText(row, 2, "");
    }
    SetSa("");
    if (!haveBlock) return;
    open->clear();
    open->push_back(IntToText(n + 1));
  });
}

void ViewerPart::CaptionMouseDown(int row) {
  Label* link_label = LinkLabel(row);
  if (!link_label) return;
  Quietly([&] {
    Bytes address = link_label->Caption();
    if (address.empty()) return;
    if (ByteAt(address, 1) == '*') Delete(address, 1, 1);
    Browser().OpenAddress(Copy(address, 1, kMaxAddress));
  });
}

void ViewerPart::CaptionMouseMove(int row) {
  if (Label* caption = CaptionLabel(row)) caption->SetHint(LinkLabel(row)->Caption());
}

void ViewerPart::LabelButtonMouseDown(SpeedButton& button) {
  button.SetColor(kPressedColour);
}

void ViewerPart::LabelButtonMouseUp(SpeedButton& button) {
  button.SetColor(kDefaultColour);
}

}  // namespace vexo
