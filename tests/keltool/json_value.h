// A strict JSON reader for checking the tool's --json output: any deviation from the grammar
// throws, so a test that parses the output also proves it is well-formed.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kel::test {

struct JsonValue {
  enum Type { Null, Bool, Number, String, Array, Object } type = Null;
  bool boolean = false;
  double number = 0;
  std::string text;                          // String
  std::vector<JsonValue> items;              // Array
  std::vector<std::string> keys;             // Object, in document order
  std::map<std::string, JsonValue> members;  // Object

  // Member of an object (throws when absent or not an object).
  const JsonValue& operator[](const std::string& key) const;
  // Element of an array (throws when out of range or not an array).
  const JsonValue& operator[](size_t i) const;
  size_t size() const { return type == Array ? items.size() : members.size(); }
  bool IsNull() const { return type == Null; }
  long long Int() const;  // a Number that is an integer
  const std::string& Str() const;
};

struct JsonError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

JsonValue ParseJson(std::string_view text);

}  // namespace kel::test
