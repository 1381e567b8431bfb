#pragma once
// The news window on screen: a fixed 536 x 383 white dialog with only a close
// button, centred on the screen, mirroring a `Tnews` and handing clicks,
// double clicks, Enter and scrolling to its handlers.

#include <QDialog>

#include <functional>
#include <map>
#include <string>

#include "news/news1.h"
#include "ui/mirror_view.h"

class QTableView;

namespace vexo {

class NewsGridModel;

class NewsView : public QDialog {
 public:
  // The model must outlive the view.
  NewsView(Tnews& model, QWidget* owner);
  ~NewsView() override;
  NewsView(const NewsView&) = delete;
  NewsView& operator=(const NewsView&) = delete;

  // The widget of a component ("cap", "Spt1".."Spt8", "Spn1".."Spn4", "Stgd").
  QWidget* Part(const std::string& name) const;
  QTableView* Grid() const { return grid_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void FollowGrid();
  void PagingClick(int n);

  Tnews& model_;
  ModelMirror mirror_;
  std::map<std::string, QWidget*> parts_;
  NewsGridModel* rows_ = nullptr;
  QTableView* grid_ = nullptr;
  bool shown_ = false;
  bool syncing_ = false;  // the view follows the model: no echo back
};

// Creates the news window with these services, shows it modally over
// `parent` and destroys it when the user closes it (the window's last visit
// is then saved). Returns the dialog's result.
int ShowNewsWindowModal(QWidget* parent, const NewsServices& services);

}  // namespace vexo
