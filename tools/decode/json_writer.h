#pragma once

#include <wx/string.h>

#include <cstdint>
#include <string>

// A minimal JSON object writer for the decode tool's one-object-per-line output.
class JsonObject {
 public:
  JsonObject& Field(const char* key, const wxString& value) { return Raw(key, Quote(value)); }
  JsonObject& Field(const char* key, const char* value) { return Raw(key, Quote(wxString::FromUTF8(value))); }
  JsonObject& Field(const char* key, bool value) { return Raw(key, value ? "true" : "false"); }
  JsonObject& Field(const char* key, std::int64_t value) { return Raw(key, std::to_string(value)); }
  JsonObject& Field(const char* key, int value) { return Field(key, static_cast<std::int64_t>(value)); }
  JsonObject& Field(const char* key, unsigned value) { return Field(key, static_cast<std::int64_t>(value)); }
  JsonObject& Field(const char* key, double value);
  // value is already JSON (an array, an object, null).
  JsonObject& Raw(const char* key, const std::string& json);

  std::string Str() const { return "{" + body_ + "}"; }

  // JSON string literal of a text, as UTF-8.
  static std::string Quote(const wxString& text);

 private:
  std::string body_;
};

// Builds "[a,b,c]" from already-encoded elements.
class JsonArray {
 public:
  JsonArray& Add(const std::string& json) {
    if (!body_.empty()) body_ += ',';
    body_ += json;
    return *this;
  }
  std::string Str() const { return "[" + body_ + "]"; }

 private:
  std::string body_;
};
