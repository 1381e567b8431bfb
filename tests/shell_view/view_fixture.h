#pragma once
// A main window model on temporary folders with its view on screen
// (offscreen in the test run), and the helpers the window tests share.

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "shell/fvexo1_view.h"
#include "tests/shell/shell_fixture.h"

namespace vexo {

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

inline QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}
inline QString QGb(const Bytes& gb) {
  return QString::fromStdString(GbToUtf8(gb));
}

class ViewTest : public ShellTest {
 protected:
  ViewTest() : home_env_("VEXO_HOME", Home()), conf_env_("XDG_CONFIG_HOME", Conf()) {}

  // The model's services with the view's chrome, a recording browser and a
  // scripted status area.
  MainServices ViewServices() {
    MainServices s = Services();
    s.chrome = link_.Services();
    s.status_icon = &status_area_;
    s.browser = &browser_;
    return s;
  }

  // The window as the program entry leaves it: created, centred, shown.
  MainView& Show() {
    if (!main_) {
      main_ = std::make_unique<TMain>(ViewServices());
      main_->FormCreate();
    }
    view_ = std::make_unique<MainView>(*main_, &link_);
    view_->OnClosed = [this] { ++closed_; };
    view_->HasStatusArea = [this] { return status_area_.shown; };
    main_->viewer.FormResize();
    view_->show();
    return *view_;
  }

  TMain& Model() { return *main_; }
  MainView& View() { return *view_; }

  QWidget* Part(const std::string& name) {
    QWidget* w = view_->Part(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QString TextOf(const std::string& name) {
    if (auto* l = qobject_cast<QLabel*>(Part(name))) return l->text();
    return {};
  }
  // Visible as far as the component goes: shown, or to be shown with the
  // window.
  bool ShownPart(const std::string& name) {
    QWidget* w = Part(name);
    return w && !w->isHidden();
  }

  // Typing, one key press per character, as a keyboard or input method
  // delivers it (QTest's key clicks know only ASCII).
  static void Type(QWidget* w, const QString& text) {
    for (const QChar ch : text) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(w, &press);
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(w, &release);
    }
  }

  // Mouse events with screen positions, as a person's hand gives them.
  static void SendMouse(QWidget* w, QEvent::Type type, QPoint screen,
                        Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local = w->mapFromGlobal(screen);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, local, QPointF(screen),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
  }

  // The view goes first, then the model, while the services it uses live.
  ~ViewTest() override {
    view_.reset();
    main_.reset();
  }

  ScopedEnv home_env_;
  ScopedEnv conf_env_;
  ChromeLink link_;
  ScriptedStatusIcon status_area_;
  RecordingBrowser browser_;
  std::unique_ptr<MainView> view_;
  int closed_ = 0;
};

}  // namespace vexo
