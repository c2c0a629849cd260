// The progress line of the command-line tool: one line on standard error
// showing the share of the model read, then the section being written (or,
// with several models converted at once, how many are done),
// redrawn at most ten times a second and cleared at the end. The clock and the
// output are handed in, so the throttling can be tested without a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "api/conversion.h"

namespace hvx {

class CProgressLine {
 public:
  using Clock = std::function<double()>;  // seconds, steadily rising
  using Sink = std::function<void(std::string_view)>;
  static constexpr double kMinInterval = 0.1;

  CProgressLine(Sink sink, Clock clock) : m_sink(std::move(sink)), m_clock(std::move(clock)) {}

  // Starts a model; name is shown on the line.
  void Begin(std::string name);
  // Shows where the conversion is: "reading NAME: P%" or "writing NAME: SECTION".
  void Update(const CProgress& p);
  // Shows how many of a batch's models are done, while several are converted
  // at once: "converted DONE of TOTAL models".
  void Count(size_t done, size_t total);
  // Clears the line, when one was drawn.
  void End();

 private:
  void Show(std::string text);

  Sink m_sink;
  Clock m_clock;
  std::string m_name;
  std::string m_shown;     // text on the line now ("" when clear)
  double m_lastDraw = 0.0;
  bool m_drawn = false;    // something was drawn since Begin
};

}  // namespace hvx
