#include "news/news1_view.h"

#include <QAbstractTableModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

#include "ui/skin_label_view.h"
#include "ui/window_font_view.h"

namespace vexo {

// The grid's rows as Qt sees them. The row count is cached so that rows are
// announced as they are added or dropped.
class NewsGridModel : public QAbstractTableModel {
 public:
  explicit NewsGridModel(StringGrid& grid, QObject* parent)
      : QAbstractTableModel(parent), grid_(grid), rows_(grid.RowCount()) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : StringGrid::kColumns;
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return ToQ(grid_.Cell(index.column(), index.row()));
  }

  // Brings Qt up to the grid after a change.
  void Sync() {
    const int now = grid_.RowCount();
    if (now > rows_) {
      beginInsertRows({}, rows_, now - 1);
      rows_ = now;
      endInsertRows();
    } else if (now < rows_) {
      beginRemoveRows({}, now, rows_ - 1);
      rows_ = now;
      endRemoveRows();
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, StringGrid::kColumns - 1));
  }

 private:
  StringGrid& grid_;
  int rows_;
};

namespace {

constexpr int kButtonTop = 24;
constexpr int kGridTop = 46;
constexpr int kGridLeft = 8;

}  // namespace

NewsView::NewsView(Tnews& model, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      model_(model) {
  setFixedSize(model.window.Width(), model.window.Height());
  setFont(WindowFont());
  Paint(this, Qt::white, ToColour(model.window.FontColor()));
  setWindowTitle(ToQ(model.caption.Caption()));

  parts_["cap"] =
      mirror_.Label(model.cap, this, {kGridLeft, 5, 520, 16}, {}, ToColour(model.cap.FontColor()));
  for (int n = 1; n <= kCategories; ++n) {
    QToolButton* b = mirror_.Button(*model.CategoryButton(n), this,
                                    {kGridLeft + (n - 1) * 50, kButtonTop, 48, 18});
    b->setAutoRaise(true);
    connect(b, &QToolButton::clicked, this, [this, n] { model_.CategoryClick(n); });
    parts_["Spt" + std::to_string(n)] = b;
  }
  for (int n = 1; n <= 4; ++n) {
    QToolButton* b =
        mirror_.Button(*model.PagingButton(n), this, {420 + (n - 1) * 28, kButtonTop, 26, 18});
    b->setAutoRaise(true);
    connect(b, &QToolButton::clicked, this, [this, n] { PagingClick(n); });
    parts_["Spn" + std::to_string(n)] = b;
  }

  rows_ = new NewsGridModel(model.Stgd, this);
  grid_ = new QTableView(this);
  grid_->setModel(rows_);
  // The grid is nearly as wide as the window: centred, it keeps clear of both edges.
  grid_->setGeometry((model.window.Width() - model.Stgd.Width()) / 2, kGridTop, model.Stgd.Width(),
                     model.Stgd.Height());
  grid_->horizontalHeader()->hide();
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setMinimumSectionSize(StringGrid::kRowHeight);
  grid_->verticalHeader()->setDefaultSectionSize(StringGrid::kRowHeight);
  grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setShowGrid(false);
  grid_->setWordWrap(false);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::NoSelection);
  grid_->setFocusPolicy(Qt::StrongFocus);
  grid_->setToolTip(ToQ(model.Stgd.Hint()));
  grid_->viewport()->setCursor(Qt::PointingHandCursor);
  // Horizontal lines only, between the rows.
  grid_->setStyleSheet(
      "QTableView { background: white; color: navy; border: none; }"
      "QTableView::item { border-bottom: 1px solid #d8d8d8; padding: 0px; }");
  grid_->installEventFilter(this);
  parts_["Stgd"] = grid_;

  connect(grid_, &QTableView::pressed, this,
          [this](const QModelIndex& i) { model_.Stgd.SetRow(i.row()); });
  connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    model_.Stgd.SetRow(i.row());
    model_.StgdDblClick();
  });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& i) {
            if (i.isValid()) model_.Stgd.SetRow(i.row());
          });
  connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
    if (!syncing_) model_.Stgd.SetTopRow(top);
  });
  FollowGrid();

  if (const QScreen* s =
          owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen()) {
    const QRect g = s->geometry();
    move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
  }
}

NewsView::~NewsView() = default;

void NewsView::PagingClick(int n) {
  switch (n) {
    case 1:
      model_.Spn1Click();
      break;
    case 2:
      model_.Spn2Click();
      break;
    case 3:
      model_.Spn3Click();
      break;
    case 4:
      model_.Spn4Click();
      break;
    default:
      break;
  }
}

void NewsView::FollowGrid() {
  mirror_.Follow(model_.Stgd.changed, [this] {
    StringGrid& g = model_.Stgd;
    rows_->Sync();
    for (int c = 0; c < StringGrid::kColumns; ++c) {
      const bool hidden = g.ColWidth(c) == 0;
      if (grid_->isColumnHidden(c) != hidden) grid_->setColumnHidden(c, hidden);
      if (!hidden && grid_->columnWidth(c) != g.ColWidth(c))
        grid_->setColumnWidth(c, g.ColWidth(c));
    }
    const QModelIndex current = grid_->currentIndex();
    if (g.RowCount() > 0 && (!current.isValid() || current.row() != g.Row()))
      grid_->setCurrentIndex(rows_->index(g.Row(), 2));
    // The last page may start one row further down than Qt scrolls; the
    // model keeps its own top row then.
    syncing_ = true;
    if (grid_->verticalScrollBar()->value() != g.TopRow())
      grid_->verticalScrollBar()->setValue(g.TopRow());
    syncing_ = false;
  });
}

void NewsView::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  model_.FormShow();
  grid_->setFocus();
}

bool NewsView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      model_.StgdKeyPress('\r');
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QWidget* NewsView::Part(const std::string& name) const {
  const auto it = parts_.find(name);
  return it == parts_.end() ? nullptr : it->second;
}

int ShowNewsWindowModal(QWidget* parent, const NewsServices& services) {
  Tnews model(services);
  model.FormCreate();
  int result = 0;
  {
    NewsView view(model, parent);
    result = view.exec();
  }
  model.FormDestroy();
  return result;
}

}  // namespace vexo
