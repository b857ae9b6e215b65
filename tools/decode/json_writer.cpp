#include "json_writer.h"

#include <charconv>
#include <cmath>

namespace {

constexpr std::size_t kMostBytesPerCharacter = 6;  // "\u001f"
constexpr std::size_t kMostNumberBytes = 32;

// Writes c as UTF-8 at out; the end, or nullptr for a code point that has no UTF-8 form (a
// surrogate, or beyond U+10FFFF).
char* PutUtf8(char* out, std::uint32_t c) {
  if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | c >> 6);
  } else if (c < 0x10000) {
    if (c >= 0xD800 && c <= 0xDFFF) return nullptr;
    *out++ = static_cast<char>(0xE0 | c >> 12);
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
  } else if (c <= 0x10FFFF) {
    *out++ = static_cast<char>(0xF0 | c >> 18);
    *out++ = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
  } else {
    return nullptr;
  }
  *out++ = static_cast<char>(0x80 | (c & 0x3F));
  return out;
}

// Writes the escaped form of c, which is below U+0080, at out; the end.
char* PutEscapedAscii(char* out, std::uint32_t c) {
  static const char kHex[] = "0123456789abcdef";
  *out++ = '\\';
  switch (c) {
    case '"':
    case '\\':
      *out++ = static_cast<char>(c);
      break;
    case '\n':
      *out++ = 'n';
      break;
    case '\r':
      *out++ = 'r';
      break;
    case '\t':
      *out++ = 't';
      break;
    default:
      *out++ = 'u';
      *out++ = '0';
      *out++ = '0';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 0xF];
  }
  return out;
}

}  // namespace

void JsonBuffer::PutString(const wxString& text) {
  Room(2 + kMostBytesPerCharacter * text.length());
  char* const start = bytes_.data() + size_;
  char* out = start;
  *out++ = '"';
  const wxStringCharType* const characters = text.wx_str();
  const std::size_t length = text.length();
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<std::uint32_t>(characters[i]);
    if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\') {
      *out++ = static_cast<char>(c);
    } else if (c < 0x80) {
      out = PutEscapedAscii(out, c);
    } else if ((out = PutUtf8(out, c)) == nullptr) {
      out = start;
      *out++ = '"';
      break;
    }
  }
  *out++ = '"';
  size_ = static_cast<std::size_t>(out - bytes_.data());
}

void JsonBuffer::PutNumber(std::int64_t value) {
  Room(kMostNumberBytes);
  char* const out = bytes_.data() + size_;
  size_ = static_cast<std::size_t>(std::to_chars(out, out + kMostNumberBytes, value).ptr - bytes_.data());
}

void JsonBuffer::PutReal(double value) {
  if (!std::isfinite(value)) {
    Put("null");
    return;
  }
  Room(kMostNumberBytes);
  char* const out = bytes_.data() + size_;
  const auto end = std::to_chars(out, out + kMostNumberBytes, value, std::chars_format::general, 10).ptr;
  size_ = static_cast<std::size_t>(end - bytes_.data());
}

JsonObject& JsonObject::Raw(const char* key, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += '"';
  body_ += key;
  body_ += "\":";
  body_ += json;
  return *this;
}

JsonObject& JsonObject::Field(const char* key, double value) {
  JsonBuffer json;
  json.PutReal(value);
  return Raw(key, json.Str());
}

std::string JsonObject::Quote(const wxString& text) {
  JsonBuffer json;
  json.PutString(text);
  return json.Str();
}
