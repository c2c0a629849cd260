#include "tests/windows/string_states.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "tests/windows/ui_driver.h"

namespace hosttest {
namespace {

// How both strings stand before the call.
enum class Start { kNil, kRoom, kShort, kShared, kLocked, kLockedShort };

struct StringState {
  const char* name;
  Start start;
  int refuseAfter;   // the manager's successful Allocate/Reallocate calls before it refuses; -1: never
  bool emptyResult;  // the result field left empty
  int rc;
  // What the host's manager does for the two strings in the call, and the
  // blocks freed when the host releases them (and any second owner).
  int allocations, reallocations, frees, releaseFrees;
};

const StringState kStates[] = {
    {"empty (the nil string)", Start::kNil, -1, false, 0, 2, 0, 0, 2},
    {"unique with room to spare", Start::kRoom, -1, false, 0, 0, 0, 0, 2},
    {"unique and too short", Start::kShort, -1, false, 0, 0, 2, 0, 2},
    {"shared with a second CStringA", Start::kShared, -1, false, 0, 2, 0, 0, 4},
    {"locked, with room", Start::kLocked, -1, false, 0, 0, 0, 0, 2},
    {"locked and too short", Start::kLockedShort, -1, false, 0, 0, 2, 0, 2},
    {"unique, an empty result handed back (the nil string attached)", Start::kShort, -1, true, 0, 0, 1, 1, 1},
    {"manager out of memory, empty strings", Start::kNil, 0, false, -1, 0, 0, 0, 0},
    {"manager out of memory after one block, empty strings", Start::kNil, 1, false, -1, 1, 0, 0, 1},
    {"manager out of memory, strings too short", Start::kShort, 0, false, -1, 0, 0, 0, 2},
};

const char* const kShared = "shared text";

std::string StartText(Start s) {
  switch (s) {
    case Start::kNil: return "";
    case Start::kRoom: return std::string(400, 'r');
    case Start::kShort: return "ab";
    case Start::kShared: return kShared;
    case Start::kLocked: return "locked";
    case Start::kLockedShort: return "ab";
  }
  return "";
}

// One state: the call, both strings checked against their expected text and
// state, the manager's counts; then the release. Problems, one a line.
Problems RunState(const StringState& st, ConvertFile2Fn convert, const std::string& model, const std::string& result,
                  const std::string& qsx, std::string& measured) {
  Problems p;
  TestStringMgr manager;
  StringMgrCounts before, inCall;
  {
    CStringA out(manager, StartText(st.start)), res(manager, StartText(st.start));
    std::optional<CStringA> outOwner, resOwner;  // the second owners of shared strings
    if (st.start == Start::kShared) outOwner.emplace(out), resOwner.emplace(res);
    if (st.start == Start::kLocked) out.Lock(400), res.Lock(400);
    if (st.start == Start::kLockedShort) out.Lock(0), res.Lock(0);
    const std::string oldText = StartText(st.start);
    manager.refuseAfter = st.refuseAfter;
    before = manager.counts;
    const int rc = CallWhileDriving(
        p,
        [&](Driver& d) {
          HWND dlg = d.WaitDialog(nullptr, "file input dialog");
          d.SetText(dlg, kModelEdit, model);
          d.SetText(dlg, kResultEdit, st.emptyResult ? "" : result);
          d.Click(dlg, IDOK, "file input dialog");
        },
        [&] { return convert(out, res); });
    manager.refuseAfter = -1;
    inCall = manager.counts;
    Check(p, rc == st.rc, "result " + std::to_string(rc) + ", expected " + std::to_string(st.rc));
    const bool back = st.rc == 0;
    for (const std::string& bad : CheckString(out, manager, back ? qsx : oldText, "outputPath")) p.push_back(bad);
    for (const std::string& bad : CheckString(res, manager, back ? (st.emptyResult ? "" : result) : oldText,
                                              "resultPath"))
      p.push_back(bad);
    if (st.emptyResult) Check(p, res.Data() == manager.Nil(), "the empty resultPath is not the nil string");
    for (const auto* owner : {&outOwner, &resOwner})
      if (*owner)
        Check(p, (*owner)->Text() == kShared && (*owner)->Data()->nRefs == 1,
              "the second owner holds \"" + std::string((*owner)->Text()) + "\" with " +
                  std::to_string((*owner)->Data()->nRefs) + " owners, not its text alone");
    if (st.start == Start::kLocked || st.start == Start::kLockedShort)
      Check(p, out.Data()->nRefs < 0 && res.Data()->nRefs < 0, "a locked string was unlocked");
    for (const std::string& fault : manager.Faults(false)) p.push_back("in the call: " + fault);
  }
  const int allocations = inCall.allocations - before.allocations;
  const int reallocations = inCall.reallocations - before.reallocations;
  const int frees = inCall.frees - before.frees, releaseFrees = manager.counts.frees - inCall.frees;
  const int refused = inCall.refused - before.refused;
  measured = std::to_string(allocations) + " allocations, " + std::to_string(reallocations) + " reallocations, " +
             std::to_string(frees) + " frees" + (refused ? ", " + std::to_string(refused) + " refused" : "") +
             "; released: " + std::to_string(releaseFrees) + " frees";
  Check(p,
        allocations == st.allocations && reallocations == st.reallocations && frees == st.frees &&
            releaseFrees == st.releaseFrees && (st.refuseAfter < 0 || refused == 1),
        "the host's manager saw other calls than expected");
  for (const std::string& fault : manager.Faults(true)) p.push_back("after release: " + fault);
  return p;
}

}  // namespace

void RunStringStates(ConvertFile2Fn convert, const std::string& model, const std::string& result,
                     const std::string& qsx, int& passed, int& failed) {
  for (const StringState& st : kStates) {
    std::string measured;
    const Problems p = RunState(st, convert, model, result, qsx, measured);
    std::printf("%s string state: %s: %d; %s\n", p.empty() ? "ok  " : "FAIL", st.name, st.rc, measured.c_str());
    for (const std::string& problem : p) std::printf("       %s\n", problem.c_str());
    std::fflush(stdout);
    ++(p.empty() ? passed : failed);
  }
}

}  // namespace hosttest
