#pragma once
// A string grid as the news window uses it: rows of three text cells, the
// current row, the top row on show and the column widths in pixels. Observers
// hear of every change through `changed`.

#include <array>
#include <vector>

#include "platform/bytes.h"
#include "platform/components.h"

namespace vexo {

class StringGrid : public Control {
 public:
  static constexpr int kColumns = 3;
  static constexpr int kRowHeight = 16;

  StringGrid();

  int RowCount() const { return static_cast<int>(rows_.size()); }
  // At least one row; new rows are empty, dropped rows are gone.
  void SetRowCount(int n);
  // Empty outside the grid.
  const Bytes& Cell(int col, int row) const;
  // Ignored outside the grid.
  void SetCell(int col, int row, const Bytes& text);
  // Empties every cell of every row.
  void Clear();
  // Every row's text in one column.
  StringList Column(int col) const;

  int Row() const { return row_; }
  void SetRow(int r);  // clamped to the rows
  int TopRow() const { return top_; }
  void SetTopRow(int r);  // clamped to 0 .. RowCount - 1

  int ColWidth(int col) const;
  void SetColWidth(int col, int px);
  int Width() const { return width_; }
  void SetWidth(int px);
  int Height() const { return height_; }
  void SetHeight(int px);
  // Whole rows that fit the grid's height.
  int VisibleRows() const { return height_ / kRowHeight; }

 private:
  int Clamp(int r) const;

  std::vector<std::array<Bytes, kColumns>> rows_;
  std::array<int, kColumns> widths_ = {64, 64, 64};
  int row_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace vexo
