// Model page writer: the HTML around the data.
//
// The page is page/template.html with its markers replaced:
//   {{CSP}}     Content-Security-Policy: nothing remote; the inline style sheet and script by hash
//   {{TITLE}}   the document title
//   {{STYLE}}   page/page.css as it is
//   {{HEADER}}  title, path, exit status, reading, units, date, time (escaped here)
//   {{DATA}}    the data blocks (page_data.h)
//   {{SCRIPT}}  the script joined from page/js
#include "page/page_writer.h"

#include <string>
#include <utility>

#include "page/page_assets.h"
#include "page/page_data.h"

namespace hvx {

namespace {

constexpr size_t kFlush = size_t{4} << 20;

// The exit status's tone in the header: "ok" only for status 0 with nothing
// lost, "warn" for a conversion that lost something (status 0 lossy, 5: the
// same under --strict, 6: cancelled), "bad" for the failures.
const char* StatusTone(const CPageModel& m) {
  if (m.exitStatus == 0) return m.lossy ? "warn" : "ok";
  if (m.exitStatus == 5 || m.exitStatus == 6) return "warn";
  return "bad";
}

std::string OrDash(const std::string& s) { return s.empty() ? "\xE2\x80\x94" : HtmlText(s); }

std::string HeaderHtml(const CPageModel& m) {
  std::string h;
  h += "<div class=\"hd-main\">\n<div class=\"hd-app\">halvex2qsx conversion</div>\n";
  if (m.title.empty())
    h += "<h1 id=\"hd-title\" class=\"untitled\">(model without title)</h1>\n";
  else
    h += "<h1 id=\"hd-title\">" + HtmlText(m.title) + "</h1>\n";
  h += "<div class=\"hd-path\" id=\"hd-path\">" + HtmlText(m.modelPath) + "</div>\n</div>\n";
  h += "<dl class=\"hd-facts\">\n";
  auto fact = [&h](const char* name, const char* id, const std::string& cls, const std::string& value) {
    h += std::string("<div><dt>") + name + "</dt><dd id=\"" + id + "\"" +
         (cls.empty() ? "" : " class=\"" + cls + "\"") + ">" + value + "</dd></div>\n";
  };
  std::string status = std::to_string(m.exitStatus);
  if (!m.statusText.empty()) status += " \xC2\xB7 " + HtmlText(m.statusText);
  fact("Exit status", "hd-status", StatusTone(m), status);
  fact("Reading", "hd-reading", "", OrDash(m.reading));
  fact("Units", "hd-units", "", OrDash(m.units));
  fact("Date", "hd-date", "", OrDash(m.date));
  fact("Conversion time", "hd-seconds", "", SecondsText(m.seconds));
  h += "</dl>\n";
  return h;
}

std::string DocumentTitle(const CPageModel& m) {
  std::string_view path = m.modelPath;
  const size_t slash = path.find_last_of("/\\");
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  std::string t = m.title.empty() ? std::string(path) : m.title + " \xE2\x80\x94 " + std::string(path);
  return HtmlText(t + " \xC2\xB7 halvex2qsx");
}

// The page in pieces of about kFlush bytes.
class COut {
 public:
  explicit COut(const PageSink& sink) : m_sink(sink) { m_buf.reserve(kFlush + 4096); }
  void Put(std::string_view s) {
    if (m_buf.size() + s.size() > kFlush) Flush();
    if (s.size() > kFlush)
      m_sink(s);
    else
      m_buf.append(s);
  }
  void Flush() {
    if (m_buf.empty()) return;
    m_sink(m_buf);
    m_buf.clear();
  }

 private:
  const PageSink& m_sink;
  std::string m_buf;
};

void PutData(COut& out, const CPageBlocks& blocks) {
  out.Put("<script type=\"application/json\" id=\"hvx-meta\">");
  out.Put(ScriptJson(blocks.meta));
  out.Put("</script>\n<script type=\"application/json\" id=\"hvx-report\">");
  out.Put(ScriptJson(blocks.report));
  out.Put("</script>\n");
  for (const CPageArrayText& a : blocks.arrays) {
    out.Put("<script type=\"application/octet-stream\" id=\"hvx-a-");
    out.Put(a.name);
    out.Put("\">");
    out.Put(a.Text());
    out.Put("</script>\n");
  }
}

}  // namespace

void WriteModelPage(const CPageModel& m, const PageSink& sink, const CPageOptions& options) {
  const CPageBlocks blocks = PageBlocks(m, options.secondThread);
  COut out(sink);
  std::string_view tpl = page_assets::Template();
  while (!tpl.empty()) {
    const size_t open = tpl.find("{{");
    const size_t close = open == std::string_view::npos ? open : tpl.find("}}", open);
    if (close == std::string_view::npos) {
      out.Put(tpl);
      break;
    }
    out.Put(tpl.substr(0, open));
    const std::string_view name = tpl.substr(open + 2, close - open - 2);
    tpl.remove_prefix(close + 2);
    if (name == "CSP") {
      out.Put("default-src 'none'; script-src ");
      out.Put(page_assets::ScriptHash());
      out.Put("; style-src ");
      out.Put(page_assets::StyleHash());
      out.Put("; img-src data:; base-uri 'none'; form-action 'none'");
    } else if (name == "TITLE") {
      out.Put(DocumentTitle(m));
    } else if (name == "STYLE") {
      out.Put(page_assets::Style());
    } else if (name == "SCRIPT") {
      out.Put(page_assets::Script());
    } else if (name == "HEADER") {
      out.Put(HeaderHtml(m));
    } else if (name == "DATA") {
      PutData(out, blocks);
    }
  }
  out.Flush();
}

std::string ModelPage(const CPageModel& model, const CPageOptions& options) {
  std::string page;
  WriteModelPage(
      model, [&page](std::string_view s) { page.append(s); }, options);
  return page;
}

}  // namespace hvx
