#pragma once

#include <wx/string.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// JSON for the decode tool's one-object-per-line output.

// A growing byte buffer that JSON is written into directly: every call makes room for what it
// writes, so a line costs no string of its own and no allocation once the buffer has grown.
class JsonBuffer {
 public:
  // A text as a JSON string literal in UTF-8; a text that has no UTF-8 form gives "".
  void PutString(const wxString& text);
  void PutNumber(std::int64_t value);
  // Ten significant digits as printf's "%.10g" writes them; null when the value is not finite.
  void PutReal(double value);
  void PutBool(bool value) { value ? Put("true") : Put("false"); }
  void Put(char c) {
    Room(1);
    bytes_[size_++] = c;
  }
  template <std::size_t N>
  void Put(const char (&literal)[N]) {
    Room(N - 1);
    std::memcpy(bytes_.data() + size_, literal, N - 1);
    size_ += N - 1;
  }
  // The opening brace or the comma before a field, then "key":.
  template <std::size_t N>
  void PutKey(char before, const char (&key)[N]) {
    Room(N + 3);
    char* out = bytes_.data() + size_;
    out[0] = before;
    out[1] = '"';
    std::memcpy(out + 2, key, N - 1);
    out[N + 1] = '"';
    out[N + 2] = ':';
    size_ += N + 3;
  }

  const char* Data() const { return bytes_.data(); }
  std::size_t Size() const { return size_; }
  void Clear() { size_ = 0; }
  std::string Str() const { return std::string(Data(), Size()); }

 private:
  void Room(std::size_t more) {
    if (size_ + more > bytes_.size()) bytes_.resize(2 * (size_ + more));
  }

  std::vector<char> bytes_;
  std::size_t size_ = 0;
};

// Writes the fields of one object into a buffer: {"key":value,...}. Keys are literals.
class JsonFields {
 public:
  explicit JsonFields(JsonBuffer& out) : out_(out) {}
  template <std::size_t N>
  JsonFields& Text(const char (&key)[N], const wxString& value) {
    Key(key).PutString(value);
    return *this;
  }
  template <std::size_t N>
  JsonFields& Number(const char (&key)[N], std::int64_t value) {
    Key(key).PutNumber(value);
    return *this;
  }
  template <std::size_t N>
  JsonFields& Real(const char (&key)[N], double value) {
    Key(key).PutReal(value);
    return *this;
  }
  template <std::size_t N>
  JsonFields& Bool(const char (&key)[N], bool value) {
    Key(key).PutBool(value);
    return *this;
  }
  template <std::size_t N>
  JsonFields& Null(const char (&key)[N]) {
    Key(key).Put("null");
    return *this;
  }
  // Starts the field and leaves its value to the caller.
  template <std::size_t N>
  JsonBuffer& Key(const char (&key)[N]) {
    out_.PutKey(first_ ? '{' : ',', key);
    first_ = false;
    return out_;
  }
  void End() {
    if (first_) out_.Put('{');
    out_.Put('}');
  }

 private:
  JsonBuffer& out_;
  bool first_ = true;
};

// A minimal JSON object writer: each call builds the object's text a little further.
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
