// Reads a model page back, independently of the page's script: the JSON
// blocks and the typed arrays (the format is described in page/page_data.h).
// For the tests of what the host puts into a page (tests/page_output_test.cpp);
// the writer's encoding itself is checked in the browser with the page's own
// decoder (tests/page/browser_test.py).
#pragma once

#include <cstdint>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace hvxtest {

inline std::vector<unsigned char> Base64Decode(const std::string& s) {
  std::vector<unsigned char> out;
  uint32_t acc = 0;
  int bits = 0;
  for (char c : s) {
    int v;
    if (c >= 'A' && c <= 'Z')
      v = c - 'A';
    else if (c >= 'a' && c <= 'z')
      v = c - 'a' + 26;
    else if (c >= '0' && c <= '9')
      v = c - '0' + 52;
    else if (c == '+')
      v = 62;
    else if (c == '/')
      v = 63;
    else
      continue;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(static_cast<unsigned char>(acc >> bits));
    }
  }
  return out;
}

struct CPageData {
  using Json = nlohmann::json;
  std::string html;
  Json meta, report;

  explicit CPageData(std::string text) : html(std::move(text)) {
    meta = Json::parse(Block("application/json\" id=\"hvx-meta"));
    report = Json::parse(Block("application/json\" id=\"hvx-report"));
  }
  std::string Block(const std::string& head) const {
    const std::string open = "<script type=\"" + head + "\">";
    const size_t a = html.find(open);
    if (a == std::string::npos) return "null";
    const size_t b = html.find("</script>", a);
    return html.substr(a + open.size(), b - a - open.size());
  }
  // Array NAME as doubles, whatever its stored type.
  std::vector<double> Array(const std::string& name) const {
    const auto bytes = Base64Decode(Block("application/octet-stream\" id=\"hvx-a-" + name));
    const std::string type = meta["arrays"][name]["type"];
    const size_t count = meta["arrays"][name]["count"];
    std::vector<double> v(count);
    for (size_t i = 0; i < count; ++i) {
      const unsigned char* p = bytes.data();
      if (type == "u8") v[i] = p[i];
      if (type == "u16") v[i] = p[2 * i] | p[2 * i + 1] << 8;
      if (type == "u32") v[i] = static_cast<double>(Get<uint32_t>(p + 4 * i));
      if (type == "i32") v[i] = Get<int32_t>(p + 4 * i);
      if (type == "f32") v[i] = Get<float>(p + 4 * i);
    }
    return v;
  }
  template <typename T>
  static T Get(const unsigned char* p) {
    T t;
    std::memcpy(&t, p, sizeof t);
    return t;
  }
  // Ids from their runs (first, count, ...).
  static std::vector<double> Runs(const std::vector<double>& runs) {
    std::vector<double> ids;
    for (size_t i = 0; i + 1 < runs.size(); i += 2)
      for (double k = 0; k < runs[i + 1]; ++k) ids.push_back(runs[i] + k);
    return ids;
  }
};

}  // namespace hvxtest
