#include "json_writer.h"

#include <cmath>
#include <cstdio>

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += '"';
  body_ += key;
  body_ += "\":";
  body_ += json;
  return *this;
}

JsonObject& JsonObject::Field(const char* key, double value) {
  if (!std::isfinite(value)) return Raw(key, "null");
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return Raw(key, buffer);
}

std::string JsonObject::Quote(const wxString& text) {
  const wxScopedCharBuffer utf8 = text.utf8_str();
  std::string out = "\"";
  for (std::size_t i = 0; i < utf8.length(); ++i) {
    const unsigned char c = static_cast<unsigned char>(utf8.data()[i]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}
