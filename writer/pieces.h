// The data lines of a long section in pieces: formatted on several threads
// at once and written in order, or one after the other on the calling thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/parallel.h"
#include "base/piece_numbers.h"
#include "writer/textsink.h"

namespace hvx {

// Writes pieces [0, pieces) to sink in order: range(i) gives piece i's item
// bounds and format(begin, end, out) its lines (out a CPieceOut). With more
// than one thread, freeze() first makes the store safe to read at once, and
// the pieces are formatted into texts of their own; their later entries run
// at their place in the text as it is written. Pieces for which alone(i)
// holds are formatted at their turn straight into sink.
template <class Range, class Format, class Alone, class Freeze>
void WritePiecesInOrder(CTextSink& sink, unsigned threads, size_t pieces, Range&& range, Format&& format,
                        Alone&& alone, Freeze&& freeze) {
  if (pieces <= 1 || threads <= 1) {
    hvx::CPieceOut out(sink);
    for (size_t i = 0; i < pieces; ++i) {
      const auto [begin, end] = range(i);
      format(begin, end, out);
    }
    return;
  }
  freeze();
  std::vector<std::vector<hvx::CPieceOut::CLater>> later(pieces);
  // The numbers of each piece's lines, for a file that reads its text back.
  std::vector<hvx::CPieceNumbers> numbers(sink.WantsNumbers() ? pieces : 0);
  hvx::RunPiecesInOrder(
      threads, pieces,
      [&](size_t i, std::string& text) {
        if (alone(i)) return;
        const auto [begin, end] = range(i);
        // Recorded apart and moved into place at the end: the pieces' slots
        // lie side by side, and threads writing to one cache line would
        // slow each other down.
        hvx::CPieceNumbers recorded;
        hvx::CPieceOut out(text, later[i], numbers.empty() ? nullptr : &recorded);
        format(begin, end, out);
        if (!numbers.empty()) numbers[i] = std::move(recorded);
      },
      [&](size_t i, std::string& text) {
        if (alone(i)) {
          const auto [begin, end] = range(i);
          hvx::CPieceOut out(sink);
          format(begin, end, out);
          return;
        }
        hvx::CPieceNumbers* lineNumbers = numbers.empty() ? nullptr : &numbers[i];
        if (later[i].empty()) {
          // Handed on whole (the check of the written text takes it
          // without a copy, and the numbers with it).
          sink.WritePiece(text, lineNumbers);
          if (lineNumbers) *lineNumbers = hvx::CPieceNumbers();
          return;
        }
        if (lineNumbers) *lineNumbers = hvx::CPieceNumbers();  // the text goes on in parts
        size_t done = 0;
        for (hvx::CPieceOut::CLater& l : later[i]) {
          sink.Append(std::string_view(text).substr(done, l.at - done));
          done = l.at;
          l.run();
        }
        sink.Append(std::string_view(text).substr(done));
        later[i].clear();
      });
}

// Piece bounds for items of the given weights, each piece weighing about
// `per` in all; an item heavier than `alone` is a piece of its own.
template <class Weight>
std::vector<size_t> PiecesByWeight(size_t count, uint64_t per, uint64_t alone, Weight&& weight) {
  std::vector<size_t> bounds{0};
  uint64_t sum = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint64_t w = weight(i);
    if (w > alone && bounds.back() != i) bounds.push_back(i);
    sum = w > alone ? per : sum + w;
    if (sum >= per && i + 1 < count) {
      bounds.push_back(i + 1);
      sum = 0;
    }
  }
  bounds.push_back(count);
  return bounds;
}

}  // namespace hvx
