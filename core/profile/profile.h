// Per-user profile settings, addressed by company, application, section and value name.
// The values live in the per-user registry store ($XDG_CONFIG_HOME/hearthview/registry.db)
// under the key "Software\<company>\<application>\<section>"; with an INI file name (and no
// non-zero "Use Registry" in its section "Options") they go to that INI file instead.
#ifndef HV_CORE_PROFILE_PROFILE_H_
#define HV_CORE_PROFILE_PROFILE_H_

#include <cstdint>

#include "core/status.h"

namespace hv {

// Value types, numbered as the registry numbers them.
enum : uint32_t {
  kProfileText = 1,    // text, stored with its terminator
  kProfileNumber = 4,  // 32-bit number
};

// The failures of the profile routines (where: kProfile). They keep the positive numbers they
// have always had, and each is a failure, never "declined".
enum : int32_t {
  kProfileKeyFailed = 1,     // the key cannot be opened or created, or the value not stored
  kProfileNoIniFile = 2,     // an INI file is required but missing, or cannot be written
  kProfileNoRoom = 2,        // a read was given nowhere to deliver to
  kProfileDeleteFailed = 3,  // a deletion fails
};

// Writes a value; data null deletes the value; name null deletes the whole section key.
// company null uses the library's default company word.
// Ok when written or deleted. Fails with kProfileKeyFailed when the key cannot be opened or
// created (also: the value cannot be stored, its type is neither of the two above, a text for
// an INI file holds a line break, or the key of a value to delete is not there); with
// kProfileDeleteFailed when a deletion fails (the value to delete is not there, or the store
// refused); with kProfileNoIniFile when an INI file is required but missing. The message
// names the key or file and the reason, with what the store or the file system said.
[[nodiscard]] Status WriteProfile(const char* company, const char* application, const char* section,
                                  const char* name, const void* data, uint32_t type,
                                  const char* ini_file = nullptr);

// Reads a text into buffer (at most size bytes, always terminated). With name null the buffer
// receives all value names of the section, each terminated, with an empty name at the end.
// Ok when found. Declined, with the default in the buffer, when the value is not there, and
// also when the store (or the INI file) cannot be read: the message then says why. A missing
// value is no failure, so a caller content with the default may drop the status. Fails with
// kProfileNoRoom when buffer is null or size is 0: nothing could be delivered.
[[nodiscard]] Status ReadProfileString(const char* company, const char* application,
                                       const char* section, const char* name,
                                       const char* default_text, char* buffer, uint32_t size,
                                       const char* ini_file = nullptr);

// Reads a 32-bit number (a number stored as text is converted from decimal).
// Ok when found. Declined, with the default in *number, when the value is not there, holds no
// number, or cannot be read (the message then says why); a caller content with the default may
// drop the status. Fails with kProfileNoRoom when number is null: nothing could be delivered.
[[nodiscard]] Status ReadProfileNumber(const char* company, const char* application,
                                       const char* section, const char* name, uint32_t* number,
                                       uint32_t default_number, const char* ini_file = nullptr);

// True when the registry key (a full path such as "Software\\Quillmere") exists.
bool ProfileKeyExists(const char* key_path);

}  // namespace hv

#endif  // HV_CORE_PROFILE_PROFILE_H_
