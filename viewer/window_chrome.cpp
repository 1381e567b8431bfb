// The borderless window's own controls: dragging by the title image, hiding
// to the tray and coming back, closing, centring, the two toggles, help,
// about, news and the status line.
#include <climits>

#include "platform/quietly.h"
#include "texts/texts.h"
#include "viewer/help_page.h"
#include "viewer/make1.h"
#include "viewer/modal_scope.h"
#include "viewer/viewer_part.h"

namespace vexo {

namespace {

int Clamped(long long v) {
  return static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
}

void MoveWindowBy(FormWindow& w, long long dx, long long dy) {
  w.SetBounds(Clamped(w.Left() + dx), Clamped(w.Top() + dy), w.Width(), w.Height());
}

}  // namespace

void ViewerPart::InitViewerComponents() {
  // The window description: what is hidden, the hints.
  const ShellTexts& shell = Texts();
  SaEdit.SetVisible(false);
  for (int row = 1; row <= 8; ++row) {
    LinkLabel(row)->SetVisible(false);
    RowBox(row)->SetVisible(false);
  }
  sum1.SetVisible(false);
  ss.SetVisible(false);
  sum1.SetHint(shell.sum1_hint);
  ss.SetHint(shell.ss_hint);
  Ru.SetHint(shell.ru_hint);
  Ts.SetHint(shell.ts_hint);

  const ViewerTexts& t = ViewerText();
  const struct {
    SpeedButton* button;
    const Bytes& caption;
    const Bytes& hint;
  } buttons[] = {{&Spt2, t.spt2, t.spt2_hint}, {&Spt3, t.spt3, t.spt3_hint},
                 {&Spt4, t.spt4, t.spt4_hint}, {&Spt5, t.spt5, t.spt5_hint},
                 {&Spt6, t.spt6, t.spt6_hint}, {&Spt7, t.spt7, t.spt7_hint}};
  for (const auto& b : buttons) {
    b.button->SetCaption(b.caption);
    b.button->SetHint(b.hint);
    b.button->SetVisible(false);
  }
  for (int row = 1; row <= 8; ++row) {
    MarkCell(row)->SetHint(t.mark_hint);
    MarkCell(row)->SetFontColor(0xFF0000);
  }
  min1.SetHint(t.min1_hint);
  close1.SetHint(t.close1_hint);
  help1.SetCaption(t.help1);
  about1.SetCaption(t.about1);
  if (Spb1.Caption().empty()) Spb1.SetCaption(t.news);

  SaEdit.OnChange = [this] { SaChange(); };

  TrayIcon1.SetIcon(kProgramIcon);
  TrayIcon1.SetToolTip(t.tray_tooltip);
  TrayIcon1.OnClick = [this](TTrayIcon*) { TrayIcon1Click(); };
  TrayIcon1.SetActive(true);
}

void ViewerPart::Image1MouseDown(int x, int y) {
  dragX = x;
  dragY = y;
}

void ViewerPart::Image1MouseMove(int x, int y) {
  if (dragX < 0 || dragY < 0) return;
  MoveWindowBy(window, static_cast<long long>(x) - dragX, static_cast<long long>(y) - dragY);
  dragX = x;
  dragY = y;
}

void ViewerPart::Image1MouseUp(int x, int y) {
  if (dragX >= 0 && dragY >= 0)
    MoveWindowBy(window, static_cast<long long>(x) - dragX, static_cast<long long>(y) - dragY);
  dragX = -1;
  dragY = -1;
}

void ViewerPart::min1MouseDown() {
  min1.SetCaption(ViewerText().min1_down);
  min1.SetColor(kPressedColour);
}

void ViewerPart::min1MouseUp() {
  min1.SetCaption("");
  min1.SetColor(kDefaultColour);
}

void ViewerPart::min1Click() {
  host_.AppMinimize();
}

void ViewerPart::close1MouseDown() {
  close1.SetCaption(ViewerText().close1_down);
  close1.SetColor(kPressedColour);
}

void ViewerPart::close1MouseUp() {
  close1.SetCaption("");
  close1.SetColor(kDefaultColour);
}

void ViewerPart::close1Click() {
  Quietly([&] {
    if (Chrome().close_window) Chrome().close_window();
  });
}

void ViewerPart::FormResize() {
  Quietly([&] {
    if (!Chrome().screen_size) return;
    const ScreenSize screen = Chrome().screen_size();
    const long long left = (static_cast<long long>(screen.width) - window.Width()) / 2;
    const long long top = (static_cast<long long>(screen.height) - window.Height()) / 2;
    window.SetBounds(Clamped(left), Clamped(top), window.Width(), window.Height());
  });
}

void ViewerPart::TrayIcon1Click() {
  host_.ResumeRunTimers();
  if (modalGuard >= kModalThreshold) return;
  const ChromeServices& chrome = Chrome();
  Quietly([&] {
    if (chrome.window_active && chrome.window_active()) return;
    if (chrome.restore_application) chrome.restore_application();
    window.SetVisible(true);
    FormResize();
    if (chrome.raise_window) chrome.raise_window();
  });
}

void ViewerPart::RuClick() {
  if (!Ru.Caption().empty()) {
    host_.SetAutorun(false);
    Ru.SetCaption("");
  } else {
    host_.SetAutorun(true);
    Ru.SetCaption(Texts().toggle_on);
  }
}

void ViewerPart::TsClick() {
  if (popupOnNew != 0) {
    popupOnNew = 0;
    Ts.SetCaption("");
  } else {
    popupOnNew = 1;
    Ts.SetCaption(Texts().toggle_on);
  }
}

void ViewerPart::help1Click() {
  ModalScope modal(modalGuard);
  Quietly([&] {
    const ViewerTexts& t = ViewerText();
    OpenHelpPage(host_.ProgramFolder(), services_.executable, Browser());
    Messages().Show({t.help_caption, t.help_text, MsgButtons::Ok});
    host_.SetKeywords(t.example_keywords);
    Messages().Show({t.example_caption, t.example_text, MsgButtons::Ok});
  });
}

void ViewerPart::about1Click() {
  ModalScope modal(modalGuard);
  Quietly([&] {
    Tmake box(Browser());
    if (Chrome().show_about) Chrome().show_about(box);
  });
}

void ViewerPart::Spb1Click() {
  ModalScope modal(modalGuard);
  Quietly([&] {
    if (Chrome().show_news) Chrome().show_news();
  });
}

void ViewerPart::sbarClick() {
  Quietly([&] { Browser().OpenAddress(kPublisherHomePage); });
}

}  // namespace vexo
