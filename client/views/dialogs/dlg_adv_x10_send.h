// CDlgAdvX10Send: the modal dialog "Send X10 Code". The user picks a house, a unit (or all
// units), an X10 function and, for the dimming functions, a brightness, and has the server
// send that code on the power line. "&Send" sends and keeps the dialog open; "OK" sends
// when nothing was sent from this opening yet, and keeps the choice as the defaults of the
// next opening (section "Switching"); "Cancel" leaves the defaults alone.
//
// Use: construct (the defaults are read then), DoModal(&result): kResultOk or kResultCancel.
// A send holds the program-wide busy
// flag, the one the main frame's tick holds while it runs, so a send never lands in the
// middle of that work.
#ifndef HV_CLIENT_VIEWS_DIALOGS_DLG_ADV_X10_SEND_H_
#define HV_CLIENT_VIEWS_DIALOGS_DLG_ADV_X10_SEND_H_

#include <cstdint>
#include <functional>

#include "client/ui/modal_dialog.h"
#include "client/ui/window.h"
#include "core/status.h"
#include "core/string/sw_string.h"

namespace hv {

class cActivityLog;
class cClock;
class cServerConnection;
class cToolkit;

// What the dialog works with; everything must outlive the dialog.
struct cX10SendServices {
  cToolkit* toolkit = nullptr;
  const cClock* clock = nullptr;
  // Registry words of the "Switching" section's key.
  const char* company = nullptr;
  const char* application = nullptr;
  // The program-wide busy flag.
  std::function<bool()> is_busy;
  std::function<void(bool)> set_busy;
  // Runs pending events for up to the given milliseconds while the busy flag is waited for.
  std::function<void(uint32_t ms)> pause;
  // Sends the Send X10 code request on the current connection: ok, the send's failure, or
  // hv::kNotConnected when there is no connection (nothing is sent or reported then).
  // X10CodeSenderOf gives the program's; empty means never connected.
  std::function<Status(uint32_t house, uint32_t unit, uint32_t function, uint32_t dim)> send_code;
  cActivityLog* log = nullptr;  // where failed sends are reported; may be null
  // Shows the help topic of a context id (F1); may be empty.
  std::function<void(int32_t context_id)> show_help;
};

// Control ids of the dialog.
enum : int32_t {
  kX10SendResourceId = 164,
  kX10SendHouse = 1452,
  kX10SendUnit = 1453,
  kX10SendFunction = 1454,
  kX10SendDimLabel = 1455,
  kX10SendDim = 1456,
  kX10SendSwitchingType = 1457,
  kX10SendSend = 1458,
};
constexpr int32_t kX10SendHelpContext = 1067;
constexpr const char* kSwitchingSection = "Switching";

// How long a send waits for the busy flag before it gives up. The flag's holder may be
// below the dialog on the one thread (a tick whose reconnect pumps events), where waiting
// longer could never end.
constexpr uint32_t kX10BusyWaitLimitMs = 30000;
constexpr uint32_t kX10BusyWaitStepMs = 10;

// The sender of the program's one connection, which must outlive it.
std::function<Status(uint32_t, uint32_t, uint32_t, uint32_t)> X10CodeSenderOf(
    cServerConnection& connection);

class CDlgAdvX10Send : public cModalDialog {
 public:
  // Reads the four defaults of "Switching" (house "A", unit 0, dim 0, function 2 "On" when
  // missing).
  CDlgAdvX10Send(const cX10SendServices& services, cWindow* parent);
  ~CDlgAdvX10Send() override;
  CDlgAdvX10Send(const CDlgAdvX10Send&) = delete;
  CDlgAdvX10Send& operator=(const CDlgAdvX10Send&) = delete;

  // The fields, as last read from the controls (or the defaults before the dialog runs).
  uint32_t FunctionCode() const { return function_code_; }
  bool Sent() const { return sent_; }

  // cWindowEvents
  void OnCommand(int32_t id, eCommandEvent event) override;
  void OnHelp() override;

 private:
  const cDialogLayout& Layout() const override;
  void OnInitDialog() override;
  // Reads every control into the fields; false (after the range message) when the dim
  // value is not a whole number from 0 to 100.
  bool ReadFields();
  void ShowFields();
  void EnableDimControls();
  // Reads the fields and sends them; false when the dim value was refused.
  bool SendSelection();
  // The Send button.
  void OnSend();
  // Waits for the busy flag within the limit and takes it; false when it stayed set.
  bool TakeBusyFlag();
  void Transmit();
  void SaveDefaults();
  void OnOk() override;
  // Cancel, Escape or the close box; a send still waiting for the busy flag is dropped.
  void OnCancel() override;

  cX10SendServices services_;
  swString house_text_;
  uint32_t unit_code_ = 0;
  uint32_t function_code_ = 2;
  uint32_t dim_value_ = 0;
  uint32_t switching_type_ = 0;
  bool sent_ = false;
  bool ended_ = false;  // the dialog was cancelled while a send waited
};

}  // namespace hv

#endif  // HV_CLIENT_VIEWS_DIALOGS_DLG_ADV_X10_SEND_H_
