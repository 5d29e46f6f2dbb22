// cFavouriteMarks: which switches and macros the user keeps at hand in the tray menu. The
// switches and macros views ask it when a row's context menu opens and tell it when the user
// marks or unmarks the row's item; the shell keeps the marks (and saves them).
#ifndef HV_CLIENT_VIEWS_DEVICES_FAVOURITE_MARKS_H_
#define HV_CLIENT_VIEWS_DEVICES_FAVOURITE_MARKS_H_

#include "core/string/sw_string.h"

namespace hv {

enum class eFavouriteKind { kSwitch, kMacro };

class cFavouriteMarks {
 public:
  virtual ~cFavouriteMarks() = default;

  // Names are the server's, compared exactly (as status changes find their rows).
  virtual bool IsFavourite(eFavouriteKind kind, const swString& name) const = 0;
  // Marks or unmarks an item. False when the name cannot be kept (empty, or with a line
  // break, which the stored list cannot hold); nothing changes then.
  virtual bool SetFavourite(eFavouriteKind kind, const swString& name, bool favourite) = 0;
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DEVICES_FAVOURITE_MARKS_H_
