#include "client/platform/linux/secret_password_store.h"

#include <libsecret/secret.h>

#include <string>
#include <utility>

#include "core/status.h"

namespace hv {

namespace {

const SecretSchema* Schema() {
  static const SecretSchema schema = {cSecretPasswordStore::kSchemaName,
                                      SECRET_SCHEMA_NONE,
                                      {
                                          {"company", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {"application", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {"key", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                      },
                                      0,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr};
  return &schema;
}

// Frees a GError when it goes out of scope.
struct cErrorHolder {
  GError* error = nullptr;
  ~cErrorHolder() {
    if (error != nullptr) g_error_free(error);
  }
};

const char* Text(const char* text) { return text != nullptr ? text : ""; }

Status NoKeyring() {
  return Status(Where::kKeyring, hv::kNotConnected, "no keyring answers on the session bus");
}

// The keyring's refusal, with what it said.
Status Refused(const char* what, const GError* error) {
  std::string message = what;
  if (error != nullptr && error->message != nullptr) message += std::string(": ") + error->message;
  return Status(Where::kKeyring, hv::kCannotOpenFile, std::move(message));
}

}  // namespace

bool cSecretPasswordStore::IsAvailable() {
  if (availability_ == eAvailability::kUnknown) {
    cErrorHolder failure;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &failure.error);
    availability_ = service != nullptr ? eAvailability::kYes : eAvailability::kNo;
    if (service != nullptr) g_object_unref(service);
  }
  return availability_ == eAvailability::kYes;
}

Status cSecretPasswordStore::Store(const char* company, const char* application, const char* key,
                                   const char* password) {
  if (!IsAvailable()) return NoKeyring();
  std::string label = std::string("Hearthview: ") + Text(key);
  cErrorHolder failure;
  const gboolean stored = secret_password_store_sync(
      Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), Text(password), nullptr, &failure.error,
      "company", Text(company), "application", Text(application), "key", Text(key), nullptr);
  return stored ? Status::Ok() : Refused("the keyring did not store the password", failure.error);
}

Status cSecretPasswordStore::Lookup(const char* company, const char* application, const char* key,
                                    swString* password) {
  if (password == nullptr) return Status(Where::kKeyring, hv::kMissingArgument);
  if (!IsAvailable()) return NoKeyring();
  cErrorHolder failure;
  gchar* found =
      secret_password_lookup_sync(Schema(), nullptr, &failure.error, "company", Text(company),
                                  "application", Text(application), "key", Text(key), nullptr);
  if (failure.error != nullptr) return Refused("the keyring lookup failed", failure.error);
  if (found == nullptr) return Status::Declined(Where::kKeyring);
  *password = found;
  secret_password_free(found);
  return Status::Ok();
}

Status cSecretPasswordStore::Remove(const char* company, const char* application, const char* key) {
  if (!IsAvailable()) return NoKeyring();
  cErrorHolder failure;
  // False both when nothing was filed and when it failed; the error tells them apart.
  (void)secret_password_clear_sync(Schema(), nullptr, &failure.error, "company", Text(company),
                                   "application", Text(application), "key", Text(key), nullptr);
  if (failure.error != nullptr)
    return Refused("the keyring did not remove the password", failure.error);
  return Status::Ok();
}

}  // namespace hv
