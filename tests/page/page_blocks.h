// The JSON blocks of a model page (the header's facts and the report), for
// the tests of what goes into a page. The arrays are left to the page's own
// decoder, which the browser test runs (tests/page/browser_test.py).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace hvxtest {

struct CPageData {
  using Json = nlohmann::json;
  std::string html;
  Json meta, report;

  explicit CPageData(std::string text) : html(std::move(text)) {
    meta = Json::parse(Block("application/json\" id=\"hvx-meta"));
    report = Json::parse(Block("application/json\" id=\"hvx-report"));
  }
  // The text of the script element that begins with <script type="HEAD">; "null" when there is none.
  std::string Block(const std::string& head) const {
    const std::string open = "<script type=\"" + head + "\">";
    const size_t a = html.find(open);
    if (a == std::string::npos) return "null";
    const size_t b = html.find("</script>", a);
    return html.substr(a + open.size(), b - a - open.size());
  }
};

}  // namespace hvxtest
