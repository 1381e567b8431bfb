#include "news/string_grid.h"

namespace vexo {

namespace {
const Bytes kNoText;
}

StringGrid::StringGrid() : rows_(1) {}

int StringGrid::Clamp(int r) const {
  if (r < 0) return 0;
  return r >= RowCount() ? RowCount() - 1 : r;
}

void StringGrid::SetRowCount(int n) {
  if (n < 1) n = 1;
  if (n == RowCount()) return;
  rows_.resize(static_cast<std::size_t>(n));
  row_ = Clamp(row_);
  top_ = Clamp(top_);
  changed.Emit();
}

const Bytes& StringGrid::Cell(int col, int row) const {
  if (col < 0 || col >= kColumns || row < 0 || row >= RowCount()) return kNoText;
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

void StringGrid::SetCell(int col, int row, const Bytes& text) {
  if (col < 0 || col >= kColumns || row < 0 || row >= RowCount()) return;
  Assign(rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)], text);
}

void StringGrid::Clear() {
  for (auto& r : rows_)
    for (auto& c : r) c.clear();
  changed.Emit();
}

StringList StringGrid::Column(int col) const {
  StringList out;
  out.reserve(rows_.size());
  for (int r = 0; r < RowCount(); ++r) out.push_back(Cell(col, r));
  return out;
}

void StringGrid::SetRow(int r) {
  Assign(row_, Clamp(r));
}

void StringGrid::SetTopRow(int r) {
  Assign(top_, Clamp(r));
}

int StringGrid::ColWidth(int col) const {
  return (col >= 0 && col < kColumns) ? widths_[static_cast<std::size_t>(col)] : 0;
}

void StringGrid::SetColWidth(int col, int px) {
  if (col < 0 || col >= kColumns) return;
  Assign(widths_[static_cast<std::size_t>(col)], px < 0 ? 0 : px);
}

void StringGrid::SetWidth(int px) {
  Assign(width_, px < 0 ? 0 : px);
}

void StringGrid::SetHeight(int px) {
  Assign(height_, px < 0 ? 0 : px);
}

}  // namespace vexo
