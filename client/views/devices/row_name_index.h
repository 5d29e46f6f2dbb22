// cRowNameIndex: the names of a list's rows, one owned copy per row, and the rows of each
// name, so that a status change finds its rows without walking the whole list. Names match
// by their exact bytes (case-sensitive, no re-encoding), as the server compares them.
//
// Rows are only ever appended at the end and removed all at once (the views never sort or
// delete single rows), so a row's number stays its position in the list.
//
// A status change of a house of ten thousand switches touches one entry here; almost every
// name has one row, which the entry holds itself, so finding it costs the hash table's
// bucket and node and nothing more.
#ifndef HV_CLIENT_VIEWS_DEVICES_ROW_NAME_INDEX_H_
#define HV_CLIENT_VIEWS_DEVICES_ROW_NAME_INDEX_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/string/sw_string.h"

namespace hv {

class cRowNameIndex {
 public:
  cRowNameIndex() = default;
  cRowNameIndex(const cRowNameIndex&) = delete;
  cRowNameIndex& operator=(const cRowNameIndex&) = delete;

  // Keeps a copy of `name` as the name of the next row (row number Count()) and returns it;
  // the copy lives until Clear, so a list row may keep its address as its value.
  const swString* Append(const swString& name);
  // The rows named exactly `name`, in list order; empty when there are none. Valid until
  // the next Append or Clear.
  std::span<const int32_t> Rows(const swString& name) const;
  // The name of a row; null when out of range.
  const swString* Name(int32_t row) const;
  // The row whose name copy is at `name`; -1 when it is not one of this index's copies.
  int32_t RowOf(const swString* name) const;

  int32_t Count() const { return static_cast<int32_t>(names_.size()); }
  void Clear();

 private:
  // The rows of one name: the first held here, any further ones beside it.
  struct cRowsOfName {
    int32_t first = -1;
    std::vector<int32_t> all;  // filled only once a second row has the name
    std::span<const int32_t> Rows() const {
      return all.empty() ? std::span<const int32_t>(&first, 1) : std::span<const int32_t>(all);
    }
  };
  // Looked up by the name's bytes as they are, without making a key string.
  struct cNameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  static std::string_view Key(const swString& name) {
    return std::string_view(name.CStr(), name.GetLength());
  }

  std::deque<swString> names_;  // by row; a deque, so the copies never move
  std::unordered_map<std::string, cRowsOfName, cNameHash, std::equal_to<>> rows_;
  std::unordered_map<const swString*, int32_t> row_of_;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_ROW_NAME_INDEX_H_
