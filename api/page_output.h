// The model page of a conversion (CConvertOptions::html): what the store
// holds, as the writer's sections see it, turned into the page's neutral
// model (page/page_model.h) while the store is alive, then completed with
// what is known only after writing (the reference check's findings, the
// status, the message lines) and written beside the .qsx.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/env.h"
#include "base/report.h"
#include "check/qsxcheck.h"
#include "page/page_model.h"
#include "store/datapool.h"

namespace hvx {

// What the page draws for an element of type code `type` on topology
// `topo`: the label of the section that writes it ("type T/P" when none
// does), how it is drawn, and which of its node fields (0-based) are its
// drawn nodes, in drawing order. `nonZero`: the fields listed count only
// when not 0 (elements no section writes).
struct CPageShape {
  std::string label;
  EPageDraw draw = EPageDraw::kLine;
  std::vector<int> slots;
  bool nonZero = false;
};
CPageShape PageShapeOf(int32_t type, int32_t topo);

// The page's model of the store: header title and units, every node with
// support and spring markers, every element with its shape, material and
// property, and the elements `facts` lists as not converted with their
// reason (facts must have kept all element numbers, KeepAllNumbers).
CPageModel PageModelOf(const CDataPool& pool, const CConversionReport& facts);

// Marks the elements whose lines in an element section (*ELEMENT, *NL-LINK,
// *ELASTICLINK) the reference check named: the element number, the line's
// first number, is read from the written file when there is such a finding.
void MarkDangling(CPageModel& page, const CDanglingList& dangling, IConvertEnv& env,
                  const std::string& qsxPath);

// How far reading got, for the page's header.
std::string ReadingText(bool opened, const CConversionReport& facts, int64_t lineCount);

// The exit status in the page's header and report panel: its number, its
// text from the status table (in English, the page's language) and whether
// the conversion lost something, which makes a status 0 a warning.
void SetPageStatus(CPageModel& page, int status, bool lossy);

// The local date and time, "2025-01-31 14:05".
std::string LocalDateText();

// The page's path: the .qsx path with ".html" in place of ".qsx".
std::string PagePathFor(const std::string& qsxPath);

// A text of the model (8-bit, in the process's code page) as UTF-8 for the
// page: kept when it is valid UTF-8; else converted from the ANSI code page
// on Windows and left to the page writer's replacement characters elsewhere.
std::string ModelText(std::string_view text);

// Writes the page through env; false (the partial file removed) when it
// could not be written.
bool WritePage(const CPageModel& page, IConvertEnv& env, const std::string& path);

}  // namespace hvx
