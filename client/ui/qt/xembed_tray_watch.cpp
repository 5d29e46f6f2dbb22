#include "client/ui/qt/xembed_tray_watch.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <string>
#include <utility>

namespace hv {

namespace {

uint32_t InternAtom(xcb_connection_t* connection, const std::string& name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.c_str()),
      nullptr);
  if (reply == nullptr) return 0;
  const uint32_t atom = reply->atom;
  free(reply);
  return atom;
}

// Adds `mask` to the events this client hears from `window`, keeping those the toolkit
// asked for already (each client has one mask per window, and a plain set would replace it).
void HearEvents(xcb_connection_t* connection, uint32_t window, uint32_t mask) {
  xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, window), nullptr);
  if (attributes == nullptr) return;  // gone already
  const uint32_t wanted = attributes->your_event_mask | mask;
  const bool heard = wanted == attributes->your_event_mask;
  free(attributes);
  if (heard) return;
  // Checked and the answer dropped: a window that went meanwhile is no error worth a line.
  xcb_discard_reply(connection, xcb_change_window_attributes_checked(connection, window,
                                                                     XCB_CW_EVENT_MASK, &wanted)
                                    .sequence);
}

}  // namespace

cXembedTrayWatch::cXembedTrayWatch(std::function<void()> changed) : changed_(std::move(changed)) {
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (x11 == nullptr || x11->connection() == nullptr) return;
  connection_ = x11->connection();
  // The screen Qt opened, as DISPLAY names it (":0.1" is screen 1).
  char* host = nullptr;
  int display = 0;
  int screen_number = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen_number) == 0) screen_number = 0;
  free(host);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screen_number && screens.rem > 1; ++i) xcb_screen_next(&screens);
  if (screens.rem == 0) {
    connection_ = nullptr;
    return;
  }
  root_ = screens.data->root;
  selection_ = InternAtom(connection_, "_NET_SYSTEM_TRAY_S" + std::to_string(screen_number));
  manager_ = InternAtom(connection_, "MANAGER");
  if (selection_ == 0 || manager_ == 0) {
    connection_ = nullptr;
    return;
  }
  // A starting tray's MANAGER message goes to the root window's structure listeners.
  HearEvents(connection_, root_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
  QCoreApplication::instance()->installNativeEventFilter(this);
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection_, xcb_get_selection_owner(connection_, selection_), nullptr);
  if (owner != nullptr) {
    Follow(owner->owner);
    free(owner);
  }
  xcb_flush(connection_);
}

cXembedTrayWatch::~cXembedTrayWatch() {
  if (connection_ != nullptr && QCoreApplication::instance() != nullptr) {
    QCoreApplication::instance()->removeNativeEventFilter(this);
  }
}

void cXembedTrayWatch::Follow(uint32_t owner) {
  owner_ = owner;
  if (owner_ != 0) HearEvents(connection_, owner_, XCB_EVENT_MASK_STRUCTURE_NOTIFY);
}

bool cXembedTrayWatch::nativeEventFilter(const QByteArray& event_type, void* message,
                                         qintptr* /*result*/) {
  if (connection_ == nullptr || event_type != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const uint8_t kind = event->response_type & 0x7f;
  const uint32_t was = owner_;
  if (kind == XCB_CLIENT_MESSAGE) {
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->window != root_ || client->type != manager_ || client->format != 32 ||
        client->data.data32[1] != selection_) {
      return false;
    }
    Follow(client->data.data32[2]);
    xcb_flush(connection_);
  } else if (kind == XCB_DESTROY_NOTIFY) {
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (owner_ == 0 || destroyed->window != owner_) return false;
    owner_ = 0;
  } else {
    return false;
  }
  if (owner_ != was && changed_) changed_();
  // The toolkit's own tray support hears the same events.
  return false;
}

}  // namespace hv
