// Reading a whole file into memory for the command-line programs, with every way it can go
// wrong told in words: a folder, a file the user may not read, a FIFO or device (which could
// block forever or never end), a file larger than the caller takes, one that changed while it
// was read. Nothing here throws.
#ifndef HV_CORE_FILE_WHOLE_FILE_H_
#define HV_CORE_FILE_WHOLE_FILE_H_

#include <cstddef>
#include <string>

#include "core/status.h"

namespace hv {

// Reads the regular file at `path` into *content. A failure's message names the file and
// says what was wrong, ready to follow "program: ". *content is only changed on success.
[[nodiscard]] Status ReadWholeFile(const std::string& path, size_t max_bytes, std::string* content);

// Reads the open descriptor `fd` (standard input: a file, a pipe, a terminal) to its end.
// `name` stands for it in messages ("standard input").
[[nodiscard]] Status ReadWholeStream(int fd, const std::string& name, size_t max_bytes,
                                     std::string* content);

}  // namespace hv

#endif  // HV_CORE_FILE_WHOLE_FILE_H_
