// The tool's own texts, apart from the message catalogue's: the notes of the
// conversion API and the command line (a model not found, a file not
// written, usage errors, the summary line, the progress line), in English,
// Japanese, Korean and Simplified Chinese. The language is the catalogue's:
// on POSIX systems from LC_ALL, LC_MESSAGES, LANG; on Windows the user's
// interface language, English where the ANSI code page cannot hold the text
// (as the catalogue's). Texts are UTF-8. Placeholders {1}, {2}, ... take the
// arguments as given.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "api/conversion.h"

namespace hvx {

enum class EText : int {
  kModelNotFound,        // {1} model path
  kNoModelGiven,
  kNoOutputFolder,       // {1} folder
  kNotAFolder,           // {1} a file given where a folder is expected
  kResultNotWritten,     // {1} model path
  kUnexpectedFailure,    // {1} model path
  kNotOverwritten,       // {1} file not written, {2} the model it is
  kSameOutput,           // {1}, {2} models, {3} the file both would write
  kReportNotWritten,     // {1} report file
  kPageNotWritten,       // {1} page file
  kUsageHint,
  kCheckTakesFilesOnly,
  kNoQsxGiven,
  kReportJsonNeedsName,
  kNoSuchFile,           // {1} path
  kReadError,            // {1} path
  kFailure,
  kProgressReading,      // {1} model name, {2} percent
  kProgressWriting,      // {1} model name, {2} section keyword
  kProgressModels,       // {1} models done, {2} models in all
  kJobsNotANumber,       // {1} what -j was given
  kSummaryLine,          // {1} model, {2} what was passed over
  kSummaryNotConverted,  // {1} kinds with counts
  kSummaryPartly,        // {1} kinds with counts
  kSummaryKindCount,     // {1} count, {2} kind name
  kSummaryListSeparator,
  kSummaryUnknownBlocks,     // {1} count
  kSummaryLinesOutside,      // {1} count
  kSummaryReadingStopped,    // {1} line
  kSummaryDangling,          // {1} count
  kSummaryNoDataBlock,
  kCount
};

// One text in every language: English, Japanese, Korean, Simplified Chinese
// (the catalogue's order). English texts that change with a count have the
// singular and the plural form separated by "|".
struct CToolText {
  EText id;
  const char* text[4];
};
const CToolText* ToolTexts();  // kCount entries, in the order of EText

// The text of id in the tool's language with its placeholders filled in.
std::string Text(EText id, std::initializer_list<std::string_view> args = {});
// The same in a given language (0 to 3, as in CToolText::text); count picks
// the English singular or plural.
std::string TextIn(int language, EText id, std::initializer_list<std::string_view> args = {}, long long count = 2);

// The summary of a conversion that passed something over, as one line ending
// in "\n": the model as named and what was passed over, in counts; "" when
// the summary has nothing to say.
std::string SummaryLine(const CSummary& summary, const std::string& model);
std::string SummaryLineIn(int language, const CSummary& summary, const std::string& model);

}  // namespace hvx
