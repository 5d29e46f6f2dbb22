#include "tools/hvbridge/bridge_item.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "client/protocol/x10_function_name.h"
#include "core/string/wire_text.h"
#include "tools/hvbridge/json_object_text.h"

namespace hv::bridge {

namespace {

constexpr uint32_t kOn = 2;
constexpr uint32_t kDim = 4;
constexpr uint32_t kMacroInProgress = 3;

const char* TypeText(const BridgeItem& item) {
  if (item.kind == ItemKind::kSwitch) {
    switch (item.type) {
      case 1: return "X10 Switch";
      case 2: return "IO Switch";
      case 3: return "IO Paddle Switch";
    }
  } else if (item.kind == ItemKind::kSensor) {
    switch (item.type) {
      case 1: return "X10 Sensor";
      case 2: return "IO Sensor";
    }
  } else {
    return KindName(item.kind);
  }
  return "Undefined";
}

}  // namespace

std::string DisplayText(std::string_view wire, size_t max_bytes) {
  const std::string utf8 = TextFromWire(wire);
  std::string out;
  out.reserve(std::min(utf8.size(), max_bytes));
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (out.size() + length > max_bytes) break;
    if (lead < 0x20 || lead == 0x7F) {
      out += ' ';
    } else {
      out.append(utf8, i, length);
    }
    i += length;
  }
  return out;
}

std::string SegmentOf(const BridgeItem& item) {
  std::string segment;
  AppendItemSegment(item.name, item.key, &segment);
  return segment;
}

SensorClass ClassOf(const BridgeItem& sensor) {
  if (sensor.status == 36 || sensor.status == 37) return SensorClass::kMotion;
  if (sensor.status >= 20 && sensor.status <= 23) return SensorClass::kDoor;
  if (sensor.status == 17) return SensorClass::kTemperature;
  return SensorClass::kOther;
}

bool IsOn(const BridgeItem& item) {
  switch (item.kind) {
    case ItemKind::kSwitch: return item.status == kOn || item.status == kDim;
    case ItemKind::kSensor:
      // The codes the client shows as active: on, dim, open, a light on, motion.
      switch (item.status) {
        case 2:
        case 4:
        case 20:
        case 22:
        case 30:
        case 34:
        case 36: return true;
        default: return false;
      }
    case ItemKind::kMacro: return item.status == kMacroInProgress;
    case ItemKind::kMode: return item.status == 1;
    case ItemKind::kCamera:
    case ItemKind::kLogName: return false;
  }
  return false;
}

int BrightnessOf(const BridgeItem& item) {
  if (item.status == kDim) {
    const double level = std::isfinite(item.value) ? item.value : 0.0;
    return static_cast<int>(std::lround(std::clamp(level, 0.0, 100.0)));
  }
  return item.status == kOn ? 100 : 0;
}

std::string StateText(const BridgeItem& item) {
  if (item.kind == ItemKind::kSensor && ClassOf(item) == SensorClass::kTemperature) {
    // The reading itself, shortest form that reads back the same; a hostile server's NaN or
    // infinity is no reading ("None" is what Home Assistant shows as unknown).
    if (!std::isfinite(item.value)) return "None";
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, item.value);
    return error == std::errc() ? std::string(text, end) : "None";
  }
  if (item.kind == ItemKind::kSensor) {
    const char* name = X10FunctionName(static_cast<int32_t>(item.status), 0);
    return name[0] != '\0' ? name : std::to_string(item.status);
  }
  return IsOn(item) ? "ON" : "OFF";
}

std::string AttributesJson(const BridgeItem& item) {
  const char* status_name = X10FunctionName(static_cast<int32_t>(item.status), 0);
  if (item.kind == ItemKind::kMacro) {
    status_name = item.status == 1   ? "Disabled"
                  : item.status == 2 ? "Monitoring"
                  : item.status == 3 ? "In Progress"
                                     : "";
  } else if (item.kind == ItemKind::kMode) {
    status_name = item.status == 1 ? "Active" : "Inactive";
  }
  // Sent with every status change, so written directly; keys in alphabetical order, as a
  // JSON document would print them. A hostile server's NaN or infinity becomes 0.0.
  cJsonObjectText attributes;
  attributes.Boolean("active", IsOn(item));
  if (IsDimmer(item)) attributes.Integer("brightness", BrightnessOf(item));
  attributes.Text("description", item.description)
      .Text("status", status_name)
      .Integer("status_code", item.status)
      .Text("type", TypeText(item))
      .Real("value", item.value);
  return attributes.Take();
}

}  // namespace hv::bridge
