#include "client/protocol/x10_function_name.h"

namespace hv {

namespace {

struct cX10FunctionRow {
  int32_t code;
  const char* name;
  const char* short_name;  // empty: the name serves
};

// Codes 0-15 are the X10 function codes, 16 and 17 the server's own, 20-39 security events.
constexpr cX10FunctionRow kX10Functions[] = {
    {0, "All Units Off", ""},
    {1, "All Lights On", "All On"},
    {2, "On", ""},
    {3, "Off", ""},
    {4, "Dim", ""},
    {5, "Bright", ""},
    {6, "All Lights Off", "All Off"},
    {7, "Extended Code", ""},
    {8, "Hail Request", ""},
    {9, "Hail Acknowledge", ""},
    {10, "Preset Dim", ""},
    {11, "Pre-set Dim (2)", ""},
    {12, "Extended Data Transfer", ""},
    {13, "Status On", ""},
    {14, "Status Off", ""},
    {15, "Status Request", ""},
    {16, "Toggle On/Off", "Toggle"},
    {17, "Temperature", ""},
    {20, "Door/Window Open (Min)", "Open"},
    {21, "Door/Window Closed (Min)", "Closed"},
    {22, "Door/Window Open (Max)", "Open"},
    {23, "Door/Window Closed (Max)", "Closed"},
    {24, "Panic", "Panic"},
    {25, "Arm Home (Min)", "Arm Home"},
    {26, "Arm Home (Max)", "Arm Home"},
    {27, "Arm Away (Min)", "Arm"},
    {28, "Arm Away (Max)", "Arm"},
    {29, "Disarm", "Disarm"},
    {30, "Security Light On", "Light On"},
    {31, "Security Light Off", "Light Off"},
    {32, "Panic (Keychain Remote)", "Panic"},
    {33, "Disarm (Keychain Remote)", "Disarm"},
    {34, "Light On (Keychain Remote)", "Light On"},
    {35, "Light Off (Keychain Remote)", "Light Off"},
    {36, "Motion", ""},
    {37, "Motion Stopped", ""},
    {38, "Low Battery", ""},
    {39, "Unknown security code", ""},
};

}  // namespace

const char* X10FunctionName(int32_t code, int32_t short_form) {
  for (const cX10FunctionRow& row : kX10Functions) {
    if (row.code != code) continue;
    if (short_form == 1 && row.short_name[0] != '\0') return row.short_name;
    return row.name;
  }
  return "";
}

}  // namespace hv
