// CDlgProgress: the modeless "Progress" window of a download run: a bar for the current
// file, a bar for the whole run, the name of the file being fetched, and "Cancel". The
// update engine makes it for the length of a run and feeds it byte counts.
#ifndef HV_CLIENT_UPDATE_DLG_PROGRESS_H_
#define HV_CLIENT_UPDATE_DLG_PROGRESS_H_

#include <cstdint>
#include <memory>

#include "client/ui/window.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cToolkit;

// Control ids of the window (resource 191).
enum : int32_t {
  kProgressResourceId = 191,
  kProgressFileBar = 1401,
  kProgressTotalBar = 1402,
  kProgressFileLabel = 1403,
};

class CDlgProgress : public cWindowEvents {
 public:
  CDlgProgress() = default;
  ~CDlgProgress() override;
  CDlgProgress(const CDlgProgress&) = delete;
  CDlgProgress& operator=(const CDlgProgress&) = delete;

  // Makes and shows the window over `parent` (may be null). Ok, or kNoProgressDialog.
  hv::Status Create(cToolkit& toolkit, cWindow* parent);
  void Destroy();

  // The current file's size; its position starts again at 0.
  void SetFileSize(uint32_t size);
  void SetTotalSize(uint32_t size);
  // The current file's position in bytes; the run's count grows by what is new.
  void SetPosition(uint32_t position);
  void SetFileName(const char* name);
  // The label: the file name, after "Esimating Size: " while only the size is worked out.
  void UpdateLabel(bool estimating);

  bool IsCancelled() const { return cancelled_; }
  uint32_t Counted() const { return counted_; }
  // Percent of a bar for a count of a size: rounded, at most 100, 0 for a size of 0.
  static int32_t Percent(uint64_t count, uint64_t size);

  cWindow* Window() const { return window_.get(); }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;

 private:
  void ShowBars();

  swString label_text_;
  uint32_t file_size_ = 100;
  uint32_t total_size_ = 100;
  uint32_t position_ = 0;
  uint32_t counted_ = 0;
  bool cancelled_ = false;
  swString file_name_;
  std::unique_ptr<cWindow> window_;
};

}  // namespace hv

#endif  // HV_CLIENT_UPDATE_DLG_PROGRESS_H_
