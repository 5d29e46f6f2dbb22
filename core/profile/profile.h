// Per-user profile settings, addressed by company, application, section and value name.
// The values live in the per-user registry store ($XDG_CONFIG_HOME/hearthview/registry.db)
// under the key "Software\<company>\<application>\<section>"; with an INI file name (and no
// non-zero "Use Registry" in its section "Options") they go to that INI file instead.
#ifndef HV_CORE_PROFILE_PROFILE_H_
#define HV_CORE_PROFILE_PROFILE_H_

#include <cstdint>

namespace hv {

// Value types, numbered as the registry numbers them.
enum : uint32_t {
  kProfileText = 1,    // text, stored with its terminator
  kProfileNumber = 4,  // 32-bit number
};

// Writes a value; data null deletes the value; name null deletes the whole section key.
// company null uses the library's default company word.
// Returns 0; 1 when the key cannot be opened or created; 3 when a deletion fails;
// 2 when an INI file is required but missing.
[[nodiscard]] int WriteProfile(const char* company, const char* application, const char* section,
                               const char* name, const void* data, uint32_t type,
                               const char* ini_file = nullptr);

// Reads a text into buffer (at most size bytes, always terminated). With name null the buffer
// receives all value names of the section, each terminated, with an empty name at the end.
// Returns 0 when found, 1 when the default was delivered, 2 when size is 0. A caller content
// with the default may drop it.
int ReadProfileString(const char* company, const char* application, const char* section,
                      const char* name, const char* default_text, char* buffer, uint32_t size,
                      const char* ini_file = nullptr);

// Reads a 32-bit number (a number stored as text is converted from decimal).
// Returns 0 when found, 1 when the default was delivered (which a caller may take as is).
int ReadProfileNumber(const char* company, const char* application, const char* section,
                      const char* name, uint32_t* number, uint32_t default_number,
                      const char* ini_file = nullptr);

// True when the registry key (a full path such as "Software\\Quillmere") exists.
bool ProfileKeyExists(const char* key_path);

}  // namespace hv

#endif  // HV_CORE_PROFILE_PROFILE_H_
