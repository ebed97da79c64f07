#include "plan/host/msi_package.h"

#include <libmsi.h>

namespace quill::plan {

namespace {

// What libmsi hands out is released however the reading ends.
template <typename Object>
struct Owned {
  explicit Owned(Object* object) : get(object) {}
  ~Owned() {
    if (get != nullptr) g_object_unref(get);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Object* get;
};

bool Failed(GError* failure, const char* what, std::string* error) {
  *error = std::string(what) + (failure != nullptr ? std::string(": ") + failure->message : "");
  if (failure != nullptr) g_error_free(failure);
  return false;
}

}  // namespace

bool ReadProductCode(const std::string& local_path, std::string* code, std::string* error) {
  GError* failure = nullptr;
  Owned<LibmsiDatabase> database(
      libmsi_database_new(local_path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &failure));
  if (database.get == nullptr) return Failed(failure, "not a Windows Installer package", error);
  Owned<LibmsiQuery> query(libmsi_query_new(
      database.get, "SELECT `Value` FROM `Property` WHERE `Property` = 'ProductCode'", &failure));
  if (query.get == nullptr || !libmsi_query_execute(query.get, nullptr, &failure)) {
    return Failed(failure, "its Property table cannot be read", error);
  }
  Owned<LibmsiRecord> record(libmsi_query_fetch(query.get, &failure));
  if (record.get == nullptr) return Failed(failure, "it has no ProductCode", error);
  gchar* value = libmsi_record_get_string(record.get, 1);
  if (value == nullptr) return Failed(nullptr, "it has no ProductCode", error);
  *code = value;
  g_free(value);
  libmsi_query_close(query.get, nullptr);
  return true;
}

}  // namespace quill::plan
