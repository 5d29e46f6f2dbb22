#include "client/views/dialogs/dlg_adv_x10_send.h"

#include <cctype>

#include "client/platform/clock.h"
#include "client/platform/settings_writer.h"
#include "client/protocol/activity_log.h"
#include "client/protocol/request_failures.h"
#include "client/protocol/server_connection.h"
#include "client/protocol/server_requests.h"
#include "client/ui/command_routes.h"
#include "client/ui/number_field.h"
#include "client/ui/toolkit.h"
#include "client/ui/window_controls.h"
#include "client/views/dialogs/dlg_adv_x10_send_layout.h"
#include "client/views/dialogs/format_x10_address.h"
#include "core/profile/profile.h"
#include "core/status.h"

namespace hv {

namespace {

constexpr const char* kDefaultHouseCode = "Default House Code";
constexpr const char* kDefaultUnitCode = "Default Unit Code";
constexpr const char* kDefaultDimValue = "Default Dim Value";
constexpr const char* kDefaultFunction = "Default Function";
// The house code text is read into a buffer of this size, its terminator included.
constexpr uint32_t kHouseCodeBufferSize = 256;

struct cChoice {
  const char* text;
  uint32_t value;
};

constexpr cChoice kFunctions[] = {
    {"On", 2},          {"Off", 3},           {"Toggle On/Off", 16}, {"Dim", 4},
    {"Bright", 5},      {"All Units Off", 0}, {"All Lights Off", 6}, {"All Lights On", 1},
    {"Preset Dim", 10},
};
constexpr cChoice kSwitchingTypes[] = {
    {"Send the Full Code (Normal)", 0},
    {"Send the Address Only", 1},
    {"Send the Function Only", 2},
};
constexpr int32_t kHouseCount = 16;
constexpr int32_t kUnitCount = 16;

// Only the dimming functions carry a brightness: Dim, Bright and the two preset dims.
bool TakesDimValue(uint32_t function) {
  return function == 4 || function == 5 || function == 10 || function == 11;
}

void Fill(cComboBox* box, const cChoice* choices, size_t count) {
  if (box == nullptr) return;
  box->DeleteAllEntries();
  for (size_t i = 0; i < count; ++i) box->AddEntry(choices[i].text, choices[i].value);
}

// Selects the first entry carrying `value`; none when no entry does.
void SelectValue(cComboBox* box, uint32_t value) {
  if (box == nullptr) return;
  box->Select(-1);
  for (int32_t i = 0; i < box->EntryCount(); ++i) {
    if (box->EntryValue(i) == value) {
      box->Select(i);
      return;
    }
  }
}

// The value of the selected entry; `value` is left as it is when nothing is selected.
void ReadSelectedValue(cComboBox* box, uint32_t* value) {
  if (box == nullptr || box->Selection() < 0) return;
  *value = static_cast<uint32_t>(box->EntryValue(box->Selection()));
}

swString NumberText(uint32_t number) {
  swString text;
  text.Format("%u", number);
  return text;
}

// "A".."P" from the house text's first letter, whatever its case; anything else is house A,
// so a damaged default can never address a house that does not exist.
uint32_t HouseIndex(const swString& house_text) {
  if (house_text.GetLength() == 0) return 0;
  const int letter = std::toupper(static_cast<unsigned char>(house_text.CStr()[0]));
  if (letter < 'A' || letter >= 'A' + kHouseCount) return 0;
  return static_cast<uint32_t>(letter - 'A');
}

}  // namespace

CDlgAdvX10Send::CDlgAdvX10Send(const cX10SendServices& services, cWindow* parent)
    : cModalDialog(services.toolkit, parent), services_(services) {
  const char* company = services_.company;
  const char* application = services_.application;
  char house[kHouseCodeBufferSize] = {};
  // Choices never made before open on the defaults.
  ReadProfileString(company, application, kSwitchingSection, kDefaultHouseCode, "A", house,
                    sizeof house)
      .Ignore("house code A is the default");
  house_text_ = house;
  ReadProfileNumber(company, application, kSwitchingSection, kDefaultUnitCode, &unit_code_, 0)
      .Ignore("the first unit is the default");
  ReadProfileNumber(company, application, kSwitchingSection, kDefaultDimValue, &dim_value_, 0)
      .Ignore("no dimming is the default");
  ReadProfileNumber(company, application, kSwitchingSection, kDefaultFunction, &function_code_, 2)
      .Ignore("the third function is the default");
}

CDlgAdvX10Send::~CDlgAdvX10Send() = default;

const cDialogLayout& CDlgAdvX10Send::Layout() const { return AdvX10SendLayout(); }

void CDlgAdvX10Send::OnInitDialog() {
  cWindow& window = *Window();
  cComboBox* functions = window.ComboBox(kX10SendFunction);
  cComboBox* types = window.ComboBox(kX10SendSwitchingType);
  Fill(functions, kFunctions, std::size(kFunctions));
  Fill(types, kSwitchingTypes, std::size(kSwitchingTypes));
  SelectValue(functions, function_code_);
  SelectValue(types, switching_type_);

  if (cComboBox* houses = window.ComboBox(kX10SendHouse)) {
    houses->DeleteAllEntries();
    int32_t chosen = 0;
    for (int32_t i = 0; i < kHouseCount; ++i) {
      const char letter[2] = {static_cast<char>('A' + i), '\0'};
      houses->AddEntry(letter, static_cast<cItemValue>(i));
      if (house_text_.CompareNoCase(letter) == 0) chosen = i;
    }
    houses->Select(chosen);
  }
  if (cComboBox* units = window.ComboBox(kX10SendUnit)) {
    units->DeleteAllEntries();
    for (uint32_t i = 0; i < kUnitCount; ++i) units->AddEntry(NumberText(i + 1).CStr(), i);
    units->AddEntry("All On/Off", kX10AllUnits);
    SelectValue(units, unit_code_);
    if (units->Selection() < 0) units->Select(0);
  }
  SetControlText(window, kX10SendDim, NumberText(dim_value_).CStr());
  EnableDimControls();
}

bool CDlgAdvX10Send::ReadFields() {
  cWindow& window = *Window();
  int32_t dim = 0;
  if (!ReadNumberField(window, kX10SendDim, 0, 100, services_.toolkit->MessageBox(), &dim)) {
    return false;
  }
  dim_value_ = static_cast<uint32_t>(dim);
  if (cComboBox* houses = window.ComboBox(kX10SendHouse); houses && houses->Selection() >= 0) {
    house_text_ = houses->EntryText(houses->Selection());
  }
  ReadSelectedValue(window.ComboBox(kX10SendUnit), &unit_code_);
  ReadSelectedValue(window.ComboBox(kX10SendFunction), &function_code_);
  ReadSelectedValue(window.ComboBox(kX10SendSwitchingType), &switching_type_);
  return true;
}

void CDlgAdvX10Send::ShowFields() {
  cWindow& window = *Window();
  SetControlText(window, kX10SendDim, NumberText(dim_value_).CStr());
  if (cComboBox* houses = window.ComboBox(kX10SendHouse)) {
    for (int32_t i = 0; i < houses->EntryCount(); ++i) {
      if (houses->EntryText(i).CompareNoCase(house_text_.CStr()) == 0) houses->Select(i);
    }
  }
  SelectValue(window.ComboBox(kX10SendUnit), unit_code_);
  SelectValue(window.ComboBox(kX10SendFunction), function_code_);
  SelectValue(window.ComboBox(kX10SendSwitchingType), switching_type_);
  EnableDimControls();
}

void CDlgAdvX10Send::EnableDimControls() {
  cWindow& window = *Window();
  uint32_t function = function_code_;
  ReadSelectedValue(window.ComboBox(kX10SendFunction), &function);
  const bool enable = TakesDimValue(function);
  if (cControl* label = window.Control(kX10SendDimLabel)) label->Enable(enable);
  if (cControl* dim = window.Control(kX10SendDim)) dim->Enable(enable);
}

bool CDlgAdvX10Send::SendSelection() {
  if (!ReadFields()) return false;
  sent_ = true;
  ended_ = false;
  const bool took = TakeBusyFlag();
  if (ended_) {
    // Cancel or Escape while the flag was awaited: the user has left, and the code with them.
    if (took && services_.set_busy) services_.set_busy(false);
    return false;
  }
  if (!took) {
    // The busy flag's holder is stuck below this dialog; telling the user beats hanging.
    if (services_.log != nullptr) {
      LogItemRecord entry =
          MakeClientEntry(kEntryError, 2, 1, "", "X10 code not sent: the client stayed busy");
      entry.path = FormatX10Address(HouseIndex(house_text_), unit_code_);
      entry.function_code = static_cast<int32_t>(function_code_);
      entry.value = static_cast<double>(dim_value_);
      AddLogEntryOrDrop(*services_.log, entry, true, true);
    }
    ShowFields();
    return true;
  }
  Transmit();
  ShowFields();
  if (services_.set_busy) services_.set_busy(false);
  return true;
}

bool CDlgAdvX10Send::TakeBusyFlag() {
  if (services_.is_busy && services_.clock != nullptr) {
    const uint32_t start = services_.clock->TickCount();
    while (services_.is_busy()) {
      // Unsigned subtraction, so the tick count's wrap does not matter.
      if (services_.clock->TickCount() - start >= kX10BusyWaitLimitMs) return false;
      if (!services_.pause) return false;  // nothing could ever clear it
      services_.pause(kX10BusyWaitStepMs);
    }
  }
  if (services_.set_busy) services_.set_busy(true);
  return true;
}

std::function<Status(uint32_t, uint32_t, uint32_t, uint32_t)> X10CodeSenderOf(
    cServerConnection& connection) {
  return [&connection](uint32_t house, uint32_t unit, uint32_t function, uint32_t dim) {
    if (!connection.IsConnected()) return Status(Where::kProtocol, hv::kNotConnected);
    return SendX10Code(connection.Socket(), house, unit, function, dim);
  };
}

void CDlgAdvX10Send::Transmit() {
  if (!services_.send_code) return;
  const uint32_t house = HouseIndex(house_text_);
  const Status sent = services_.send_code(house, unit_code_, function_code_, dim_value_);
  if (sent.failed() && !sent.Is(Where::kProtocol, hv::kNotConnected)) {
    ReportX10CodeFailure(services_.log, FormatX10Address(house, unit_code_).CStr(),
                         static_cast<int32_t>(function_code_), dim_value_);
  }
}

void CDlgAdvX10Send::SaveDefaults() {
  const char* company = services_.company;
  const char* application = services_.application;
  cSettingsWriter writer(company, application);  // the four defaults go to the disk together
  writer.Text(kSwitchingSection, kDefaultHouseCode, house_text_.CStr());
  writer.Number(kSwitchingSection, kDefaultUnitCode, unit_code_);
  writer.Number(kSwitchingSection, kDefaultDimValue, dim_value_);
  writer.Number(kSwitchingSection, kDefaultFunction, function_code_);
  const Status saved = writer.Finish();
  // The code was sent all the same; only the defaults of the next dialog are the former ones.
  if (saved.failed() && services_.log != nullptr) {
    AddLogEntryOrDrop(*services_.log,
                      MakeClientError(kSettingsNotSavedName, SettingsNotSavedText(saved).c_str()),
                      true, true);
  }
}

void CDlgAdvX10Send::OnCancel() {
  ended_ = true;
  cModalDialog::OnCancel();
}

void CDlgAdvX10Send::OnOk() {
  if (!ReadFields()) return;
  if (!sent_ && !SendSelection()) return;
  if (ended_) return;  // cancelled while the code was being sent
  SaveDefaults();
  Window()->EndDialog(kResultOk);
}

void CDlgAdvX10Send::OnSend() {
  // False is a refused dim value (its message is shown) or a cancel meanwhile: either way
  // the user has been answered, and only OK needs to know.
  (void)SendSelection();
}

void CDlgAdvX10Send::OnCommand(int32_t id, eCommandEvent event) {
  static constexpr cCommandRoute<CDlgAdvX10Send> kRoutes[] = {
      {kX10SendFunction, eCommandEvent::kSelectionChanged, &CDlgAdvX10Send::EnableDimControls},
      {kX10SendSend, eCommandEvent::kClicked, &CDlgAdvX10Send::OnSend},
  };
  AnswerCommand(kRoutes, id, event);
}

void CDlgAdvX10Send::OnHelp() {
  if (services_.show_help) services_.show_help(kX10SendHelpContext);
}

}  // namespace hv
