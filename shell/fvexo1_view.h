#pragma once
// The main window on screen: a borderless 540 x 400 widget with a painted
// frame that mirrors the components of `TMain` and hands the user's clicks,
// typing and mouse moves to its handlers. It keeps no state of its own; the
// model must outlive it.

#include <QIcon>
#include <QProxyStyle>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

#include "ui/mirror_view.h"
#include "viewer/chrome_services.h"

class QLineEdit;

namespace vexo {

class Application;
class MainView;
class SkinLabel;
class TMain;

// Registers the window's pictures and the program's icon (":/vexo/...").
void RegisterPictures();
QIcon ProgramIcon();

// Hints appear after the application's hint pause (0: at once).
class HintPauseStyle : public QProxyStyle {
 public:
  explicit HintPauseStyle(const Application& app);
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returned) const override;

 private:
  const Application& app_;
};

// The window side of the chrome handlers. The model is made before its view,
// so its services act on whichever view is attached, and leave the step out
// while none is.
class ChromeLink {
 public:
  ChromeServices Services();
  MainView* View() const { return view_; }

 private:
  friend class MainView;
  MainView* view_ = nullptr;
};

class MainView : public QWidget {
 public:
  // link: the chrome services the model was given; the view attaches itself
  // to it for its lifetime. May be null.
  MainView(TMain& model, ChromeLink* link, QWidget* parent = nullptr);
  ~MainView() override;
  MainView(const MainView&) = delete;
  MainView& operator=(const MainView&) = delete;

  // Raises the window above the others without keeping it on top.
  void RaiseWithoutStayingOnTop();
  // The size of the screen the window is on.
  ScreenSize Screen() const;

  // The widget that shows a component, by the component's name ("Spt1",
  // "gjc", "M12", "x3", ...); null when the window has none.
  QWidget* Part(const std::string& name) const;

  // Runs after the close question was answered OK and the window closed.
  std::function<void()> OnClosed;
  // Whether the desktop has a status area to come back from. Without one a
  // hidden window could never be brought back, so it stays on show.
  std::function<bool()> HasStatusArea;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildFrame();
  void BuildControls();
  void BuildRows();
  void MirrorWindow();
  void MirrorApplication();
  // A label that acts as a button: press and release give the pressed look.
  SkinLabel* LabelButton(SpeedButton& button, const std::string& name, QRect place,
                         std::function<void()> click);
  QLineEdit* MirrorEdit(Edit& edit, QRect place);
  SkinLabel* StaticLabel(const QString& text, QRect place);

  TMain& model_;
  ChromeLink* link_;
  ModelMirror mirror_;
  std::map<std::string, QWidget*> parts_;
  bool mirroring_window_ = false;
};

}  // namespace vexo
