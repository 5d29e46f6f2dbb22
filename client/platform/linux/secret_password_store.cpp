#include "client/platform/linux/secret_password_store.h"

#include <libsecret/secret.h>

#include <string>

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

int32_t cSecretPasswordStore::Store(const char* company, const char* application, const char* key,
                                    const char* password) {
  if (!IsAvailable()) return hv::kNotConnected;
  std::string label = std::string("Hearthview: ") + Text(key);
  cErrorHolder failure;
  const gboolean stored = secret_password_store_sync(
      Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), Text(password), nullptr, &failure.error,
      "company", Text(company), "application", Text(application), "key", Text(key), nullptr);
  return stored ? hv::kOk : hv::kCannotOpenFile;
}

int32_t cSecretPasswordStore::Lookup(const char* company, const char* application, const char* key,
                                     swString* password) {
  if (password == nullptr) return hv::kMissingArgument;
  if (!IsAvailable()) return hv::kNotConnected;
  cErrorHolder failure;
  gchar* found =
      secret_password_lookup_sync(Schema(), nullptr, &failure.error, "company", Text(company),
                                  "application", Text(application), "key", Text(key), nullptr);
  if (failure.error != nullptr) return hv::kCannotOpenFile;
  if (found == nullptr) return hv::kDeclined;
  *password = found;
  secret_password_free(found);
  return hv::kOk;
}

int32_t cSecretPasswordStore::Remove(const char* company, const char* application,
                                     const char* key) {
  if (!IsAvailable()) return hv::kNotConnected;
  cErrorHolder failure;
  (void)secret_password_clear_sync(Schema(), nullptr, &failure.error, "company", Text(company),
                                   "application", Text(application), "key", Text(key), nullptr);
  return failure.error == nullptr ? hv::kOk : hv::kCannotOpenFile;
}

}  // namespace hv
