#include "client/platform/settings_writer.h"

#include <string>

#include "core/profile/profile.h"
#include "core/profile/profile_store.h"

namespace hv {

cSettingsWriter::cSettingsWriter(const char* company, const char* application)
    : company_(company), application_(application), batch_(std::make_unique<swProfileBatch>()) {}

cSettingsWriter::~cSettingsWriter() = default;

void cSettingsWriter::Number(const char* section, const char* name, uint32_t value) {
  if (!WriteProfile(company_, application_, section, name, &value, kProfileNumber).ok()) {
    Refused(section, name);
  }
}

void cSettingsWriter::Text(const char* section, const char* name, const char* text) {
  if (!WriteProfile(company_, application_, section, name, text, kProfileText).ok()) {
    Refused(section, name);
  }
}

void cSettingsWriter::Delete(const char* section, const char* name) {
  // A value that is not there is what a deletion wants; the store's deletion would call that
  // a failure like any other, so it is asked first. Any type of value is found this way.
  char probe[1];
  if (!ReadProfileString(company_, application_, section, name, "", probe, sizeof probe).ok()) {
    return;
  }
  if (!WriteProfile(company_, application_, section, name, nullptr, kProfileText).ok()) {
    Refused(section, name);
  }
}

void cSettingsWriter::Add(const Status& status) { KeepFirstFailure(&first_failure_, status); }

void cSettingsWriter::Refused(const char* section, const char* name) {
  Add(Status::Failure(Where::kSettings, std::string("\"") + (name != nullptr ? name : "") +
                                            "\" of \"" + (section != nullptr ? section : "") +
                                            "\" could not be written"));
}

Status cSettingsWriter::Finish() {
  if (batch_ != nullptr) {
    const bool committed = batch_->End().ok();
    batch_.reset();
    if (!committed) Add(Status::Failure(Where::kSettings, "the settings store refused the save"));
  }
  return first_failure_;
}

void KeepFirstFailure(Status* kept, const Status& next) {
  const bool kept_failed = !kept->ok() && !kept->declined();
  if (!kept_failed && !next.ok() && !next.declined()) *kept = next;
}

std::string SettingsNotSavedText(const Status& failure) {
  std::string text = "Some settings could not be saved and keep their former values";
  if (!failure.message().empty()) text += ": " + failure.message();
  return text + ".";
}

}  // namespace hv
