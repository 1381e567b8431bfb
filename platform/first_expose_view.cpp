#include "platform/first_expose_view.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>
#include <vector>

namespace vexo {

namespace {

constexpr const char* kWatchName = "vexo-first-expose";

// One per window, its child: the native window exists from the show on, and
// its expose comes later.
class ExposeWatch : public QObject {
 public:
  explicit ExposeWatch(QWidget& window) : QObject(&window), window_(&window) {
    setObjectName(QString::fromLatin1(kWatchName));
    window.installEventFilter(this);
    if (window.windowHandle()) Watch();
    if (watching_ && window.windowHandle()->isExposed()) RunSoon();
    QTimer::singleShot(kFirstExposeFallbackMs, this, [this] { RunSoon(); });
  }

  void Add(std::function<void()> then) { waiting_.push_back(std::move(then)); }
  bool Ran() const { return ran_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Show && window_->windowHandle()) {
      Watch();
    } else if (watching_ && event->type() == QEvent::Expose && watched == window_->windowHandle() &&
               window_->windowHandle()->isExposed()) {
      RunSoon();
    }
    return false;
  }

 private:
  void Watch() {
    if (watching_) return;
    watching_ = true;
    window_->windowHandle()->installEventFilter(this);
  }

  // After the event being handled.
  void RunSoon() {
    if (due_) return;
    due_ = true;
    QTimer::singleShot(0, this, [this] {
      // A callback may add another; it runs too.
      for (std::size_t i = 0; i < waiting_.size(); ++i) {
        const auto then = std::move(waiting_[i]);
        if (then) then();
      }
      waiting_.clear();
      ran_ = true;
    });
  }

  QPointer<QWidget> window_;
  std::vector<std::function<void()>> waiting_;
  bool watching_ = false;
  bool due_ = false;
  bool ran_ = false;
};

}  // namespace

void AfterFirstExpose(QWidget& window, std::function<void()> then) {
  auto* watch = static_cast<ExposeWatch*>(
      window.findChild<QObject*>(QString::fromLatin1(kWatchName), Qt::FindDirectChildrenOnly));
  if (watch && watch->Ran()) {
    QTimer::singleShot(0, &window, std::move(then));
    return;
  }
  if (!watch) watch = new ExposeWatch(window);
  watch->Add(std::move(then));
}

}  // namespace vexo
