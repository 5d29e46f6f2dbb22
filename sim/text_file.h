// ReadTextFile: the whole content of a file that a user names on the command line, read so
// that any path gives a clear answer: a folder, a file that may not be read, a FIFO with no
// writer, a file that shrinks or grows while it is read, one larger than the caller allows.
#ifndef HV_SIM_TEXT_FILE_H_
#define HV_SIM_TEXT_FILE_H_

#include <cstddef>
#include <string>

#include "core/status.h"

namespace hv::sim {

// Ok with *content holding what the file held when read to its end; else kCannotOpenFile
// (Where::kSim) with a message that says what the path is or why it cannot be read ("is a
// folder, not a file", "permission denied"). A FIFO or pipe is read until its writer closes
// it (none: it reads as empty); other special files are refused.
Status ReadTextFile(const std::string& path, size_t max_bytes, std::string* content);

}  // namespace hv::sim

#endif  // HV_SIM_TEXT_FILE_H_
