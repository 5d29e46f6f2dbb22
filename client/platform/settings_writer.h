// cSettingsWriter: the values of one save (a dialog's defaults, a window's place, the client
// settings after setup) written to the settings store as one transaction, with one status for
// the lot. A value the store refuses does not stop the others from being tried, and the save
// reports the first refusal once, so the user hears of a failed save once, not once per value.
// The keyring's part of a save (a password that could not be removed) is added to the same
// status. Writes inside another save's transaction are committed with it: the outermost save
// is the one that learns whether they reached the disk.
#ifndef HV_CLIENT_PLATFORM_SETTINGS_WRITER_H_
#define HV_CLIENT_PLATFORM_SETTINGS_WRITER_H_

#include <cstdint>
#include <memory>
#include <string>

#include "core/status.h"

namespace hv {

class swProfileBatch;

class cSettingsWriter {
 public:
  // The registry words every value of the save is filed under; both must outlive the writer.
  cSettingsWriter(const char* company, const char* application);
  // A writer not finished ends its transaction all the same (its status is then lost).
  ~cSettingsWriter();
  cSettingsWriter(const cSettingsWriter&) = delete;
  cSettingsWriter& operator=(const cSettingsWriter&) = delete;

  void Number(const char* section, const char* name, uint32_t value);
  void Text(const char* section, const char* name, const char* text);
  // Deletes the value; a value that is not there is no failure.
  void Delete(const char* section, const char* name);
  // A failure of the same save that is no write of the store; the first failure is kept.
  void Add(const Status& status);

  // Ends the transaction: ok, or the save's first failure (Where::kSettings with a message
  // naming the value, or what Add was given). Further calls give the same.
  [[nodiscard]] Status Finish();

 private:
  void Refused(const char* section, const char* name);

  const char* company_;
  const char* application_;
  std::unique_ptr<swProfileBatch> batch_;
  Status first_failure_;
};

// Keeps the first failure of a save made of several parts: *kept becomes `next` when it is
// still ok (or declined) and `next` is a failure.
void KeepFirstFailure(Status* kept, const Status& next);

// What the user is told of a failed save, once: an Error entry of this name and text.
constexpr const char* kSettingsNotSavedName = "Settings";
std::string SettingsNotSavedText(const Status& failure);

}  // namespace hv

#endif  // HV_CLIENT_PLATFORM_SETTINGS_WRITER_H_
