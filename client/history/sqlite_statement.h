// A prepared SQLite statement that finalises itself, with the few binds and reads the history
// store uses. Results are checked by the caller.
#ifndef HV_CLIENT_HISTORY_SQLITE_STATEMENT_H_
#define HV_CLIENT_HISTORY_SQLITE_STATEMENT_H_

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace hv::history {

class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, const char* sql) {
    // A statement that cannot be prepared stays null; Step then returns why, and callers
    // check it (a file that is no database fails here, not at the step).
    prepare_rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    if (prepare_rc_ != SQLITE_OK) stmt_ = nullptr;
  }
  ~SqliteStatement() { sqlite3_finalize(stmt_); }
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  void Bind(int index, int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
  void BindReal(int index, double value) { sqlite3_bind_double(stmt_, index, value); }
  void BindNull(int index) { sqlite3_bind_null(stmt_, index); }
  void BindText(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  // Binds `values` to ?1, ?2, ... in order, each by its type: a whole number (or an enum) as an
  // integer, a floating-point value as a real, anything else as text.
  template <typename... Values>
  void BindAll(const Values&... values) {
    int index = 0;
    (BindValue(++index, values), ...);
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() { return stmt_ != nullptr ? sqlite3_step(stmt_) : prepare_rc_; }
  void Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  double Real(int column) const { return sqlite3_column_double(stmt_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  std::string Text(int column) const {
    const void* data = sqlite3_column_blob(stmt_, column);
    int size = sqlite3_column_bytes(stmt_, column);
    return data != nullptr ? std::string(static_cast<const char*>(data), static_cast<size_t>(size))
                           : std::string();
  }

 private:
  template <typename Value>
  void BindValue(int index, const Value& value) {
    if constexpr (std::is_floating_point_v<Value>) {
      BindReal(index, value);
    } else if constexpr (std::is_integral_v<Value> || std::is_enum_v<Value>) {
      Bind(index, static_cast<int64_t>(value));
    } else {
      BindText(index, value);
    }
  }

  sqlite3_stmt* stmt_ = nullptr;
  int prepare_rc_ = SQLITE_OK;
};

}  // namespace hv::history

#endif  // HV_CLIENT_HISTORY_SQLITE_STATEMENT_H_
