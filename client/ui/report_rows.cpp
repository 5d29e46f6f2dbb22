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
  for (cTexts& texts : texts_) texts = Rebuild(texts.get(), cells_before, where, {}, true);
}

void cReportRows::SetOwner(const cReportRowTexts* owner) {
  if (owner == owner_) return;
  owner_ = owner;
  texts_.clear();
  // Rows that kept no texts get empty ones.
  if (owner_ == nullptr) {
    for (size_t i = 0; i < rows_.size(); ++i) texts_.push_back(MakeBlock(nullptr, 0));
  }
}

cReportRows::cTexts cReportRows::MakeBlock(const char* const* texts, int32_t count) const {
  const int32_t cells = Cells();
  const int32_t given = texts != nullptr ? std::clamp(count, 0, cells) : 0;
  size_t size = static_cast<size_t>(cells);  // a zero after every text
  for (int32_t i = 0; i < given; ++i) {
    if (texts[i] != nullptr) size += std::strlen(texts[i]);
  }
  cTexts block = std::make_unique<char[]>(size);
  char* out = block.get();
  for (int32_t i = 0; i < cells; ++i) {
    if (i < given && texts[i] != nullptr) {
      const size_t length = std::strlen(texts[i]);
      std::memcpy(out, texts[i], length);
      out += length;
    }
    *out++ = '\0';
  }
  return block;
}

int32_t cReportRows::Insert(int32_t index, const char* const* texts, int32_t count, int32_t image,
                            cItemValue value) {
  const int32_t at = std::clamp(index, 0, Count());
  if (owner_ == nullptr) {
    cTexts block = MakeBlock(texts, count);
    texts_.insert(texts_.begin() + at, std::move(block));
  }
  rows_.insert(rows_.begin() + at, cRow{.value = value, .image = image});
  return at;
}

bool cReportRows::Delete(int32_t row) {
  if (!Valid(row)) return false;
  rows_.erase(rows_.begin() + row);
  if (owner_ == nullptr) texts_.erase(texts_.begin() + row);
  return true;
}

bool cReportRows::SetText(int32_t row, int32_t column, const char* text) {
  if (owner_ != nullptr || !Valid(row) || column < 0 || column >= Cells()) return false;
  const std::string_view now = Text(row, column);
  const std::string_view wanted = text != nullptr ? std::string_view(text) : std::string_view();
  if (now == wanted) return true;
  cTexts& changed = texts_[Index(row)];
  changed = Rebuild(changed.get(), Cells(), column, wanted, false);
  return true;
}

std::string_view cReportRows::Text(int32_t row, int32_t column) const {
  if (!Valid(row) || column < 0 || column >= Cells()) return std::string_view("");
  if (owner_ != nullptr) return owner_->Text(rows_[Index(row)].value, column);
  return std::string_view(CellStart(texts_[Index(row)].get(), column));
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
  std::deque<cTexts> sorted_texts;
  for (size_t i = 0; i < order.size(); ++i) {
    const size_t from = static_cast<size_t>(order[i]);
    new_index[from] = static_cast<int32_t>(i);
    sorted.push_back(rows_[from]);
    if (owner_ == nullptr) sorted_texts.push_back(std::move(texts_[from]));
  }
  rows_ = std::move(sorted);
  texts_ = std::move(sorted_texts);
  return new_index;
}

std::vector<int32_t> cReportRows::SortByValue(
    const std::function<int(cItemValue a, cItemValue b)>& compare) {
  return Sort([this, &compare](int32_t a, int32_t b) {
    return compare(rows_[Index(a)].value, rows_[Index(b)].value) < 0;
  });
}

}  // namespace hv
