#include "client/cmdfile/client_storage.h"

#include <new>

#include "core/serializer.h"
#include "core/status.h"

namespace hv {

swStorable* cClientStorage::Create() { return new (std::nothrow) cClientStorage(); }

hv::Status cClientStorage::Serialize(swSerializer& archive) {
  int rc;
  if (archive.IsStoring()) {
    rc = archive.WriteObjectRef(monitor_.get(), 1);
  } else {
    // Only a monitor is accepted here, so a damaged file can never hand the storage an object
    // of another class, or the storage itself.
    swStorable* read = monitor_.get();
    rc = archive.ReadObjectRefOfClass(&read, 1, kClassMonitorCommandFile);
    if (read != monitor_.get()) monitor_.reset(static_cast<cMonitorCommandFile*>(read));
  }
  return ArchiveStatus(rc == 0 && archive.Status() == 0 ? 0 : kArchiveSerializeFailed);
}

Status cClientStorage::Initialise() {
  if (monitor_ == nullptr) monitor_.reset(new (std::nothrow) cMonitorCommandFile());
  return monitor_ != nullptr ? Status::Ok() : Status(Where::kSettings, hv::kOutOfMemory);
}

}  // namespace hv
