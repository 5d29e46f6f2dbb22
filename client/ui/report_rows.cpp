#include "client/ui/report_rows.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace hv {

namespace {

// The bytes of `cells` zero-ended texts starting at `texts`, the last zero included.
size_t BlockSize(const char* texts, int32_t cells) {
  const char* at = texts;
  for (int32_t i = 0; i < cells; ++i) at += std::strlen(at) + 1;
  return static_cast<size_t>(at - texts);
}

const char* CellStart(const char* texts, int32_t column) {
  const char* at = texts;
  for (int32_t i = 0; i < column; ++i) at += std::strlen(at) + 1;
  return at;
}

}  // namespace

std::unique_ptr<char[]> cReportRows::Rebuild(const char* texts, int32_t cells, int32_t column,
                                             std::string_view text, bool insert) {
  const size_t old_size = texts != nullptr ? BlockSize(texts, cells) : 0;
  const char* start = texts != nullptr ? CellStart(texts, column) : nullptr;
  const size_t head = texts != nullptr ? static_cast<size_t>(start - texts) : 0;
  // What follows the replaced cell (or, for an insertion, the cell itself onwards).
  const char* tail = start;
  if (texts != nullptr && !insert) tail += std::strlen(start) + 1;
  const size_t tail_size = texts != nullptr ? old_size - static_cast<size_t>(tail - texts) : 0;

  auto block = std::make_unique<char[]>(head + text.size() + 1 + tail_size);
  char* out = block.get();
  if (head != 0) std::memcpy(out, texts, head);
  out += head;
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  out += text.size();
  *out++ = '\0';
  if (tail_size != 0) std::memcpy(out, tail, tail_size);
  return block;
}

void cReportRows::InsertColumn(int32_t at) {
  const int32_t cells_before = Cells();
  ++columns_;
  if (Cells() == cells_before) return;  // the first column takes the one cell rows have
  const int32_t where = std::clamp(at, 0, cells_before);
  for (cRow& row : rows_) row.texts = Rebuild(row.texts.get(), cells_before, where, {}, true);
}

int32_t cReportRows::Insert(int32_t index, const char* const* texts, int32_t count, int32_t image,
                            cItemValue value) {
  const int32_t at = std::clamp(index, 0, Count());
  const int32_t cells = Cells();
  const int32_t given = texts != nullptr ? std::clamp(count, 0, cells) : 0;
  size_t size = static_cast<size_t>(cells);  // a zero after every text
  for (int32_t i = 0; i < given; ++i) {
    if (texts[i] != nullptr) size += std::strlen(texts[i]);
  }
  cRow row;
  row.texts = std::make_unique<char[]>(size);
  char* out = row.texts.get();
  for (int32_t i = 0; i < cells; ++i) {
    if (i < given && texts[i] != nullptr) {
      const size_t length = std::strlen(texts[i]);
      std::memcpy(out, texts[i], length);
      out += length;
    }
    *out++ = '\0';
  }
  row.image = image;
  row.value = value;
  rows_.insert(rows_.begin() + at, std::move(row));
  return at;
}

bool cReportRows::Delete(int32_t row) {
  if (!Valid(row)) return false;
  rows_.erase(rows_.begin() + row);
  return true;
}

bool cReportRows::SetText(int32_t row, int32_t column, const char* text) {
  if (!Valid(row) || column < 0 || column >= Cells()) return false;
  const std::string_view now = Text(row, column);
  const std::string_view wanted = text != nullptr ? std::string_view(text) : std::string_view();
  if (now == wanted) return true;
  cRow& changed = rows_[Index(row)];
  changed.texts = Rebuild(changed.texts.get(), Cells(), column, wanted, false);
  return true;
}

std::string_view cReportRows::Text(int32_t row, int32_t column) const {
  if (!Valid(row) || column < 0 || column >= Cells()) return std::string_view("");
  return std::string_view(CellStart(rows_[Index(row)].texts.get(), column));
}

void cReportRows::SelectOnly(int32_t row) {
  for (cRow& each : rows_) each.selected = false;
  if (Valid(row)) rows_[Index(row)].selected = true;
}

std::vector<int32_t> cReportRows::Sort(const std::function<bool(int32_t a, int32_t b)>& before) {
  std::vector<int32_t> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), before);
  std::vector<int32_t> new_index(rows_.size());
  std::deque<cRow> sorted;
  for (size_t i = 0; i < order.size(); ++i) {
    new_index[static_cast<size_t>(order[i])] = static_cast<int32_t>(i);
    sorted.push_back(std::move(rows_[static_cast<size_t>(order[i])]));
  }
  rows_ = std::move(sorted);
  return new_index;
}

std::vector<int32_t> cReportRows::SortByValue(
    const std::function<int(cItemValue a, cItemValue b)>& compare) {
  return Sort([this, &compare](int32_t a, int32_t b) {
    return compare(rows_[Index(a)].value, rows_[Index(b)].value) < 0;
  });
}

}  // namespace hv
