// cRecordingServices: the services a session is handed, each one a recorder that the test
// looks into once answers have arrived. Where received files go and which event loop runs
// are the test's own choice (services.data_folder, services.event_loop).
#ifndef HV_CLIENT_PROTOCOL_TESTING_RECORDING_SERVICES_H_
#define HV_CLIENT_PROTOCOL_TESTING_RECORDING_SERVICES_H_

#include "client/protocol/session_services.h"
#include "client/protocol/testing/protocol_test_support.h"
#include "client/protocol/testing/recording_activity_log.h"

namespace hv {

namespace test {

struct cRecordingServices {
  cRecordingServices() {
    services.receiver = &receiver;
    services.activity_log = &log;
    services.shell = &shell;
  }
  // The services point into this object.
  cRecordingServices(const cRecordingServices&) = delete;
  cRecordingServices& operator=(const cRecordingServices&) = delete;

  RecordingReceiver receiver;
  RecordingShell shell;
  cRecordingActivityLog log;
  cSessionServices services;
};

}  // namespace test

}  // namespace hv

#endif  // HV_CLIENT_PROTOCOL_TESTING_RECORDING_SERVICES_H_
