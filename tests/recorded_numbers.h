// What the writer records of the lines it formats, compared with the text of
// those lines as a reader of the text finds it.
#pragma once

#include <string_view>

#include "base/piece_numbers.h"

namespace hvxtest {

// Whether numbers holds the numbers of the lines of text: the text is exactly
// numbers.Lines() data lines, each with its line feed; a first-number line's
// field 1 is its recorded number; an element line's fields 1 to 4 are its
// number, type, material and property (the property only for a type that has
// one) and the fields after them its recorded whole-number fields, at least
// the type's nodes.
bool RecordedNumbersMatch(std::string_view text, const hvx::CPieceNumbers& numbers);

}  // namespace hvxtest
