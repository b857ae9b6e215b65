#include "gui_common/glib_log_check.h"

#include <atomic>

#ifdef __WXGTK__
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace {

// GLib's structured log record and writer, declared here because the suites are built without
// GLib's headers; the functions are looked up in the running process.
struct LogField {
  const char* key;
  const void* value;
  std::ptrdiff_t length;  // -1: a text ending with a zero
};
using LogWriter = int (*)(int level, const LogField* fields, std::size_t count, void* data);
using SetLogWriter = void (*)(LogWriter writer, void* data, void (*destroy)(void*));

constexpr int kLevelError = 1 << 2;
constexpr int kLevelCritical = 1 << 3;
constexpr int kLevelWarning = 1 << 4;

LogWriter defaultWriter = nullptr;
std::atomic<int> outsideTests{0};

std::string FieldText(const LogField& field) {
  const char* text = static_cast<const char*>(field.value);
  if (text == nullptr) return {};
  return field.length < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(field.length));
}

int FailOnWarning(int level, const LogField* fields, std::size_t count, void* data) {
  if ((level & (kLevelError | kLevelCritical | kLevelWarning)) != 0) {
    std::string domain;
    std::string message;
    for (std::size_t i = 0; i < count; ++i) {
      if (std::strcmp(fields[i].key, "GLIB_DOMAIN") == 0) domain = FieldText(fields[i]);
      if (std::strcmp(fields[i].key, "MESSAGE") == 0) message = FieldText(fields[i]);
    }
    const char* kind = (level & kLevelWarning) != 0 ? "WARNING" : "CRITICAL";
    if (::testing::UnitTest::GetInstance()->current_test_info() != nullptr) {
      ADD_FAILURE() << domain << "-" << kind << ": " << message;
    } else {
      ++outsideTests;
    }
  }
  return defaultWriter != nullptr ? defaultWriter(level, fields, count, data) : 1;
}

}  // namespace

void guitest::FailOnGlibWarnings() {
  const auto setWriter = reinterpret_cast<SetLogWriter>(::dlsym(RTLD_DEFAULT, "g_log_set_writer_func"));
  defaultWriter = reinterpret_cast<LogWriter>(::dlsym(RTLD_DEFAULT, "g_log_writer_default"));
  if (setWriter == nullptr || defaultWriter == nullptr) return;
  setWriter(&FailOnWarning, nullptr, nullptr);
}

int guitest::GlibWarningsOutsideTests() { return outsideTests.load(); }

#else

void guitest::FailOnGlibWarnings() {}
int guitest::GlibWarningsOutsideTests() { return 0; }

#endif
