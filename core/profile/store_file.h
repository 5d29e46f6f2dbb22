// The file habits the program's SQLite stores share: a file only its user can read, and an
// unreadable store moved aside (with its journal files) rather than lost or left in the way.
#ifndef HV_CORE_PROFILE_STORE_FILE_H_
#define HV_CORE_PROFILE_STORE_FILE_H_

#include <string>

namespace hv {

// Creates the file with mode 0600 before SQLite opens it (SQLite would use 0644), and narrows
// an existing file that others could read. False when it cannot be created.
bool PreparePrivateFile(const std::string& path);

// Renames the store at `path` and its "-journal", "-wal" and "-shm" files to
// "<path>.corrupt-<date>-<time>" (a number appended when that name is taken). False, and
// nothing moved, when the store itself cannot be renamed; *aside names the new place.
bool MoveStoreAside(const std::string& path, std::string* aside);

}  // namespace hv

#endif  // HV_CORE_PROFILE_STORE_FILE_H_
