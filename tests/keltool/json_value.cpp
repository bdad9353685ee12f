#include "json_value.h"

#include <cmath>
#include <cstdint>

#include "model/text.h"

namespace kel::test {

namespace {

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  JsonValue Document() {
    JsonValue v = Value();
    Blank();
    if (i_ != s_.size()) Fail("text after the value");
    return v;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw JsonError(what + " at offset " + std::to_string(i_));
  }
  void Blank() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
      ++i_;
  }
  char Peek() {
    if (i_ >= s_.size()) Fail("unexpected end");
    return s_[i_];
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++i_;
  }
  void Word(std::string_view w) {
    if (s_.substr(i_, w.size()) != w) Fail("bad literal");
    i_ += w.size();
  }

  JsonValue Value() {
    Blank();
    JsonValue v;
    const char c = Peek();
    if (c == '{') {
      v.type = JsonValue::Object;
      ++i_;
      Blank();
      if (Peek() == '}') return ++i_, v;
      for (;;) {
        Blank();
        std::string key = StringBody();
        Blank();
        Expect(':');
        if (v.members.count(key)) Fail("duplicate key " + key);
        v.members[key] = Value();
        v.keys.push_back(key);
        Blank();
        if (Peek() == ',') {
          ++i_;
          continue;
        }
        Expect('}');
        return v;
      }
    }
    if (c == '[') {
      v.type = JsonValue::Array;
      ++i_;
      Blank();
      if (Peek() == ']') return ++i_, v;
      for (;;) {
        v.items.push_back(Value());
        Blank();
        if (Peek() == ',') {
          ++i_;
          continue;
        }
        Expect(']');
        return v;
      }
    }
    if (c == '"') {
      v.type = JsonValue::String;
      v.text = StringBody();
      return v;
    }
    if (c == 't') return Word("true"), v.type = JsonValue::Bool, v.boolean = true, v;
    if (c == 'f') return Word("false"), v.type = JsonValue::Bool, v;
    if (c == 'n') return Word("null"), v;
    return NumberValue();
  }

  JsonValue NumberValue() {
    const size_t start = i_;
    if (Peek() == '-') ++i_;
    if (i_ >= s_.size() || !std::isdigit(uint8_t(s_[i_]))) Fail("bad number");
    if (s_[i_] == '0' && i_ + 1 < s_.size() && std::isdigit(uint8_t(s_[i_ + 1])))
      Fail("leading zero");
    while (i_ < s_.size() && std::isdigit(uint8_t(s_[i_]))) ++i_;
    if (i_ < s_.size() && s_[i_] == '.') {
      ++i_;
      if (i_ >= s_.size() || !std::isdigit(uint8_t(s_[i_]))) Fail("bad fraction");
      while (i_ < s_.size() && std::isdigit(uint8_t(s_[i_]))) ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (i_ >= s_.size() || !std::isdigit(uint8_t(s_[i_]))) Fail("bad exponent");
      while (i_ < s_.size() && std::isdigit(uint8_t(s_[i_]))) ++i_;
    }
    JsonValue v;
    v.type = JsonValue::Number;
    v.number = std::stod(std::string(s_.substr(start, i_ - start)));
    return v;
  }

  unsigned Hex4() {
    if (i_ + 4 > s_.size()) Fail("short \\u escape");
    unsigned v = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s_[i_++];
      v <<= 4;
      if (c >= '0' && c <= '9')
        v |= unsigned(c - '0');
      else if (c >= 'a' && c <= 'f')
        v |= unsigned(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        v |= unsigned(c - 'A' + 10);
      else
        Fail("bad hex digit");
    }
    return v;
  }

  std::string StringBody() {
    Expect('"');
    std::string out;
    for (;;) {
      const uint8_t c = uint8_t(Peek());
      ++i_;
      if (c == '"') return out;
      if (c < 0x20) Fail("raw control character in a string");
      if (c != '\\') {
        out += char(c);
        continue;
      }
      const char e = Peek();
      ++i_;
      switch (e) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          uint32_t cp = Hex4();
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            Word("\\u");
            const uint32_t lo = Hex4();
            if (lo < 0xDC00 || lo > 0xDFFF) Fail("unpaired surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
          } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            Fail("unpaired surrogate");
          }
          AppendUtf8(out, cp);
          break;
        }
        default:
          Fail("bad escape");
      }
    }
  }

  std::string_view s_;
  size_t i_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](const std::string& key) const {
  if (type != Object) throw JsonError("not an object (looking for " + key + ")");
  auto it = members.find(key);
  if (it == members.end()) throw JsonError("no member " + key);
  return it->second;
}

const JsonValue& JsonValue::operator[](size_t i) const {
  if (type != Array) throw JsonError("not an array");
  if (i >= items.size()) throw JsonError("index " + std::to_string(i) + " out of range");
  return items[i];
}

long long JsonValue::Int() const {
  if (type != Number || std::floor(number) != number) throw JsonError("not an integer");
  return static_cast<long long>(number);
}

const std::string& JsonValue::Str() const {
  if (type != String) throw JsonError("not a string");
  return text;
}

JsonValue ParseJson(std::string_view text) {
  return Parser(text).Document();
}

}  // namespace kel::test
