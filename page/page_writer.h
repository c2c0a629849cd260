// Writes the model page: one self-contained HTML file (template, style sheet,
// script and data inline) showing a model as converted and the conversion
// report. The data format is described in page_data.h.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "page/page_model.h"
#include "page/page_text.h"  // the text helpers, for the writer's users

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

}  // namespace hvx
