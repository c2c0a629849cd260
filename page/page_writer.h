// Writes the model page: one self-contained HTML file (template, style sheet,
// script and data inline) showing a model as converted and the conversion
// report. The data format is described at the head of page_writer.cpp.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "page/page_model.h"

namespace hvx {

// Receives the page in pieces, in order (pieces of up to a few MB).
using PageSink = std::function<void(std::string_view)>;

struct CPageOptions {
  // Encode the node and element arrays on a second thread while this one
  // writes the rest; the bytes written are the same either way.
  bool secondThread = true;
};

// Writes the page of `model` through `sink`. Throws std::bad_alloc (and
// whatever the sink throws); never anything for the contents of `model`.
void WriteModelPage(const CPageModel& model, const PageSink& sink, const CPageOptions& options = {});
std::string ModelPage(const CPageModel& model, const CPageOptions& options = {});

// ---- text helpers, also used by the tests

// `text` with every ill-formed UTF-8 sequence (each maximal invalid subpart)
// and every C0 control but tab, line feed and carriage return replaced by
// U+FFFD.
std::string ValidUtf8(std::string_view text);
// ValidUtf8(text) with & < > " ' as character references, for HTML text and
// attribute values.
std::string HtmlText(std::string_view text);
// Standard base64 with padding.
void AppendBase64(std::string& out, const void* data, size_t size);

}  // namespace hvx
