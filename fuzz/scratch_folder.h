// ScratchFolder: one private folder per fuzzing process under $TMPDIR, made on first use and
// removed at exit. Everything a target lets the code under test write goes in here, so a run
// never touches the user's files and a target can check that nothing landed anywhere else.
#ifndef HV_FUZZ_SCRATCH_FOLDER_H_
#define HV_FUZZ_SCRATCH_FOLDER_H_

#include <string>
#include <vector>

namespace hv {

namespace fuzz {

// The process's folder (created once; aborts when it cannot be made, as nothing could run).
const std::string& ScratchFolder();

// A sub-folder of the scratch folder, created when missing.
std::string ScratchSubfolder(const char* name);

// Removes everything inside `folder`, keeping the folder itself.
void EmptyFolder(const std::string& folder);

// The names of the entries of `folder`, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// How many descriptors the process has open: a file with no name (made with O_TMPFILE) shows
// nowhere else, so this is how a target sees one left open.
size_t OpenDescriptorCount();

// Writes bytes to `path` (replacing it); aborts on failure.
void WriteWholeFile(const std::string& path, const void* data, size_t size);

}  // namespace fuzz

}  // namespace hv

#endif  // HV_FUZZ_SCRATCH_FOLDER_H_
