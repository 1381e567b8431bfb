#include "shell/fvexo1_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QToolButton>

#include <algorithm>
#include <functional>

#include "platform/picture_view.h"
#include "shell/about_box_view.h"
#include "shell/application.h"
#include "shell/fvexo1.h"
#include "texts/texts.h"
#include "ui/skin_label_view.h"
#include "ui/window_font_view.h"

// The pictures are compiled into this static library; registering them here
// also keeps the linker from dropping them.
static void RegisterVexoResources() {
  Q_INIT_RESOURCE(vexo);
}

namespace vexo {

namespace {

// Places on the 540 x 400 client area.
constexpr int kWidth = 540;
constexpr int kHeight = 400;
constexpr QRect kTitle{0, 0, 540, 27};
constexpr QRect kLeftEdge{0, 27, 2, 371};
constexpr QRect kRightEdge{538, 27, 2, 371};
constexpr QRect kBottomEdge{0, 398, 540, 2};
constexpr QRect kHide{500, 7, 13, 13};
constexpr QRect kClose{517, 6, 15, 15};
constexpr int kRowTop = 86;
constexpr int kRowPitch = 34;
constexpr int kButtonStripTop = 362;
constexpr QRect kStatusLine{1, 383, 538, 14};

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);

QRect RowCaption(int row) {
  return {26, kRowTop + (row - 1) * kRowPitch, 500, 24};
}
QRect RowBox(int row) {
  return {8, kRowTop + (row - 1) * kRowPitch + 6, 12, 12};
}
QRect RowMark(int row) {
  return RowBox(row).adjusted(1, 1, -1, -1);
}

ScreenSize SizeOf(const QScreen* s) {
  if (!s) return {};
  return {s->geometry().width(), s->geometry().height()};
}

}  // namespace

void RegisterPictures() {
  static const bool done = [] {
    RegisterVexoResources();
    return true;
  }();
  (void)done;
}

QIcon ProgramIcon() {
  RegisterPictures();
  return LoadIcon(QStringLiteral(":/vexo/vexo.png"));
}

HintPauseStyle::HintPauseStyle(const Application& app) : app_(app) {}

int HintPauseStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                              QStyleHintReturn* returned) const {
  if (hint == SH_ToolTip_WakeUpDelay) return std::max(0, app_.HintPauseMs());
  return QProxyStyle::styleHint(hint, option, widget, returned);
}

// ---- The chrome services ----

ChromeServices ChromeLink::Services() {
  ChromeServices s;
  s.screen_size = [this] {
    return view_ ? view_->Screen() : SizeOf(QGuiApplication::primaryScreen());
  };
  s.window_active = [this] { return view_ && view_->isVisible() && view_->isActiveWindow(); };
  s.restore_application = [this] {
    if (view_ && view_->isMinimized())
      view_->setWindowState(view_->windowState() & ~Qt::WindowMinimized);
  };
  s.raise_window = [this] {
    if (view_) view_->RaiseWithoutStayingOnTop();
  };
  s.close_window = [this] {
    if (view_) view_->close();
  };
  s.show_about = [this](Tmake& box) {
    AboutBoxView dialog(box, view_);
    dialog.exec();
  };
  return s;
}

// ---- Building ----

MainView::MainView(TMain& model, ChromeLink* link, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::Tool), model_(model), link_(link) {
  RegisterPictures();
  HasStatusArea = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  setFixedSize(kWidth, kHeight);
  setFont(WindowFont());
  Paint(this, kWhite, kNavy);
  setWindowIcon(ProgramIcon());

  BuildFrame();
  BuildControls();
  BuildRows();
  MirrorApplication();
  MirrorWindow();
  if (link_) link_->view_ = this;
}

MainView::~MainView() {
  if (link_ && link_->view_ == this) link_->view_ = nullptr;
}

QWidget* MainView::Part(const std::string& name) const {
  const auto it = parts_.find(name);
  return it == parts_.end() ? nullptr : it->second;
}

void MainView::BuildFrame() {
  TMain& m = model_;
  auto image = [this](const char* file, QRect place, const std::string& name) {
    auto* l = new SkinLabel(this);
    l->setGeometry(place);
    l->setPixmap(LoadPicture(QString::fromUtf8(file)));
    l->setScaledContents(true);
    parts_[name] = l;
    return l;
  };
  SkinLabel* title = image(":/vexo/title.png", kTitle, "Image1");
  image(":/vexo/edge_left.png", kLeftEdge, "Image2");
  image(":/vexo/edge_right.png", kRightEdge, "Image3");
  image(":/vexo/edge_bottom.png", kBottomEdge, "Image4");
  title->onPress = [&m](QPoint p) { m.viewer.Image1MouseDown(p.x(), p.y()); };
  title->onMove = [&m](QPoint p) { m.viewer.Image1MouseMove(p.x(), p.y()); };
  title->onRelease = [&m](QPoint p) { m.viewer.Image1MouseUp(p.x(), p.y()); };

  // The title-bar controls: transparent over the title picture, which shows
  // them at rest.
  QFont bold = WindowFont();
  bold.setBold(true);
  SkinLabel* hide = mirror_.Label(m.viewer.min1, this, kHide, {}, kBlue);
  hide->setFont(bold);
  hide->onPress = [&m](QPoint) { m.viewer.min1MouseDown(); };
  hide->onRelease = [&m](QPoint) { m.viewer.min1MouseUp(); };
  hide->onClick = [&m] { m.viewer.min1Click(); };
  SkinLabel* close = mirror_.Label(m.viewer.close1, this, kClose, {}, kRed);
  close->onPress = [&m](QPoint) { m.viewer.close1MouseDown(); };
  close->onRelease = [&m](QPoint) { m.viewer.close1MouseUp(); };
  close->onClick = [&m] { m.viewer.close1Click(); };
  for (SkinLabel* l : {hide, close}) {
    l->setAlignment(Qt::AlignCenter);
    l->setCursor(Qt::PointingHandCursor);
  }
  parts_["min1"] = hide;
  parts_["close1"] = close;
}

void MainView::BuildControls() {
  TMain& m = model_;
  StaticLabel(ToQ(Texts().keyword_prompt), {8, 34, 40, 20});
  parts_["gjc"] = MirrorEdit(m.gjc, {48, 34, 170, 20});

  struct Button {
    SpeedButton* button;
    const char* name;
    QRect place;
    std::function<void()> click;
  };
  ViewerPart& v = m.viewer;
  for (const Button& b :
       {Button{&m.Spt1, "Spt1", {224, 33, 46, 22}, [&m] { m.Spt1Click(); }},
        Button{&v.Spb1, "Spb1", {274, 33, 38, 22}, [&v] { v.Spb1Click(); }},
        Button{&v.help1, "help1", {316, 33, 38, 22}, [&v] { v.help1Click(); }},
        Button{&v.about1, "about1", {358, 33, 38, 22}, [&v] { v.about1Click(); }}}) {
    QToolButton* w = mirror_.Button(*b.button, this, b.place);
    connect(w, &QToolButton::clicked, this, b.click);
    parts_[b.name] = w;
  }

  // The toggles: a white cell with a red tick over a light-blue square.
  struct Toggle {
    vexo::Label* square;
    vexo::Label* cell;
    const char* square_name;
    const char* cell_name;
    int x;
    const Bytes& words;
    int words_width;
    void (ViewerPart::*click)();
  };
  for (const Toggle& t :
       {Toggle{&v.Ru1, &v.Ru, "Ru1", "Ru", 404, Texts().autorun_name, 48, &ViewerPart::RuClick},
        Toggle{&v.Ts1, &v.Ts, "Ts1", "Ts", 472, Texts().popup_name, 48, &ViewerPart::TsClick}}) {
    parts_[t.square_name] = mirror_.Label(*t.square, this, {t.x, 38, 12, 12});
    SkinLabel* cell = mirror_.Label(*t.cell, this, {t.x + 1, 39, 10, 10}, kWhite, kRed);
    cell->setAlignment(Qt::AlignCenter);
    cell->setCursor(Qt::PointingHandCursor);
    cell->onClick = [&v, click = t.click] { (v.*click)(); };
    parts_[t.cell_name] = cell;
    StaticLabel(ToQ(t.words), {t.x + 15, 34, t.words_width, 20})->setToolTip(ToQ(t.cell->Hint()));
  }

  // The band with the counters and the activity squares.
  parts_["La2"] = mirror_.Label(m.La2, this, {2, 60, 536, 18});
  SkinLabel* count_name = StaticLabel(ToQ(Texts().count_name), {8, 61, 26, 16});
  parts_["sum1"] = mirror_.Label(m.viewer.sum1, this, {34, 61, 44, 16});
  SkinLabel* cycle_name = StaticLabel(ToQ(Texts().cycle_name), {84, 61, 26, 16});
  parts_["ss"] = mirror_.Label(m.viewer.ss, this, {110, 61, 30, 16});
  // The names show with their numbers.
  mirror_.Follow(m.viewer.sum1.changed,
                 [&m, count_name] { count_name->setVisible(m.viewer.sum1.Visible()); });
  mirror_.Follow(m.viewer.ss.changed,
                 [&m, cycle_name] { cycle_name->setVisible(m.viewer.ss.Visible()); });
  parts_["La1"] = mirror_.Label(m.La1, this, {146, 61, 300, 16});
  parts_["Line1"] = mirror_.Label(m.Line1, this, {2, 80, 536, 1});

  // The label-buttons below the rows: paging, export, clear.
  struct Strip {
    SpeedButton* button;
    const char* name;
    void (ViewerPart::*click)();
  };
  int x = 406;
  for (const Strip& s : {Strip{&v.Spt4, "Spt4", &ViewerPart::Spt4Click},
                         Strip{&v.Spt5, "Spt5", &ViewerPart::Spt5Click},
                         Strip{&v.Spt6, "Spt6", &ViewerPart::Spt6Click},
                         Strip{&v.Spt7, "Spt7", &ViewerPart::Spt7Click},
                         Strip{&v.Spt2, "Spt2", &ViewerPart::Spt2Click},
                         Strip{&v.Spt3, "Spt3", &ViewerPart::Spt3Click}}) {
    LabelButton(*s.button, s.name, {x, kButtonStripTop, 20, 16},
                [&v, click = s.click] { (v.*click)(); });
    x += 22;
  }

  SkinLabel* status = mirror_.Label(m.sbar, this, kStatusLine);
  status->setCursor(Qt::PointingHandCursor);
  status->onClick = [&m] { m.viewer.sbarClick(); };
  parts_["sbar"] = status;
}

void MainView::BuildRows() {
  TMain& m = model_;
  for (int row = 1; row <= 8; ++row) {
    const std::string r = std::to_string(row);
    parts_["z" + r] = mirror_.Label(*m.viewer.RowBox(row), this, RowBox(row));
    SkinLabel* mark = mirror_.Label(*m.viewer.MarkCell(row), this, RowMark(row), kWhite, kRed);
    mark->setAlignment(Qt::AlignCenter);
    mark->setCursor(Qt::PointingHandCursor);
    mark->onClick = [&m, row] { m.viewer.MarkClick(row); };
    parts_["x" + r] = mark;

    SkinLabel* caption = mirror_.Label(*m.viewer.CaptionLabel(row), this, RowCaption(row));
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setCursor(Qt::PointingHandCursor);
    caption->onPress = [&m, row](QPoint) { m.viewer.CaptionMouseDown(row); };
    caption->onMove = [&m, row](QPoint) { m.viewer.CaptionMouseMove(row); };
    parts_["M" + r + "2"] = caption;
  }
}

SkinLabel* MainView::LabelButton(SpeedButton& button, const std::string& name, QRect place,
                                 std::function<void()> click) {
  TMain& m = model_;
  SkinLabel* w = mirror_.Label(button, this, place);
  w->setAlignment(Qt::AlignCenter);
  w->setCursor(Qt::PointingHandCursor);
  w->onPress = [&m, &button](QPoint) { m.viewer.LabelButtonMouseDown(button); };
  w->onRelease = [&m, &button](QPoint) { m.viewer.LabelButtonMouseUp(button); };
  w->onClick = std::move(click);
  parts_[name] = w;
  return w;
}

QLineEdit* MainView::MirrorEdit(Edit& edit, QRect place) {
  auto* e = new QLineEdit(this);
  e->setGeometry(place);
  // Typing reaches the model; the model's own changes come back below, and
  // text that is already shown is not set again (no loop, the caret stays).
  connect(e, &QLineEdit::textEdited, this,
          [&edit](const QString& text) { edit.SetText(FromQ(text)); });
  mirror_.Follow(edit.changed, [e, &edit] {
    if (FromQ(e->text()) != edit.Text()) {
      const QString shown = ToQ(edit.Text());
      const int caret = e->cursorPosition();
      e->setText(shown);
      e->setCursorPosition(std::min(caret, static_cast<int>(shown.size())));
    }
    e->setVisible(edit.Visible());
    e->setEnabled(edit.Enabled());
    e->setToolTip(ToQ(edit.Hint()));
  });
  return e;
}

SkinLabel* MainView::StaticLabel(const QString& text, QRect place) {
  auto* l = new SkinLabel(this);
  l->setGeometry(place);
  l->setTextFormat(Qt::PlainText);
  l->setText(text);
  return l;
}

void MainView::MirrorApplication() {
  Application& app = model_.App();
  // The title names this window only: as the application's display name Qt
  // would append it to every box and dialog caption ("Vexo提示 — ...").
  mirror_.Follow(app.changed, [this, &app] { setWindowTitle(ToQ(app.Title())); });
}

void MainView::MirrorWindow() {
  FormWindow& w = model_.viewer.window;
  // The place now; showing is the owner's first step.
  move(w.Left(), w.Top());
  mirror_.FollowChanges(w.changed, [this, &w] {
    if (mirroring_window_) return;
    mirroring_window_ = true;
    if (w.Left() != x() || w.Top() != y()) move(w.Left(), w.Top());
    if (!w.Visible() && !(HasStatusArea && HasStatusArea())) w.SetVisible(true);
    if (w.Visible() != isVisible()) setVisible(w.Visible());
    mirroring_window_ = false;
  });
}

// ---- Window events ----

ScreenSize MainView::Screen() const {
  return SizeOf(screen() ? screen() : QGuiApplication::primaryScreen());
}

void MainView::RaiseWithoutStayingOnTop() {
  show();
  raise();
  activateWindow();
}

void MainView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!mirroring_window_) {
    mirroring_window_ = true;
    model_.viewer.window.SetVisible(true);
    mirroring_window_ = false;
  }
  model_.FormShow();
}

void MainView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous() || mirroring_window_) return;
  mirroring_window_ = true;
  model_.viewer.window.SetVisible(false);
  mirroring_window_ = false;
}

void MainView::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (mirroring_window_) return;
  mirroring_window_ = true;
  model_.viewer.window.SetBounds(x(), y(), width(), height());
  mirroring_window_ = false;
}

void MainView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized() && model_.App().OnMinimize)
    model_.App().OnMinimize();
}

void MainView::closeEvent(QCloseEvent* event) {
  if (!model_.FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  if (OnClosed) OnClosed();
}

}  // namespace vexo
