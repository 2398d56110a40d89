#include "TextBoundaries.h"

#include <algorithm>

namespace {

// Characters on the far side of a position that can decide whether it is a boundary.
constexpr int context = 32;
// How far the first look goes; it doubles until a boundary turns up.
constexpr int firstReach = 64;

int find(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
         QTextBoundaryFinder::BoundaryReasons wanted, bool forward)
{
    const int size = int(text.size());
    for (int reach = firstReach;; reach *= 2) {
        const int from = std::max(0, position - (forward ? context : reach));
        const int to = std::min(size, position + (forward ? reach : context));
        // Where the stretch looked at ends, unless the text ends there too.
        const bool textEnds = forward ? to == size : from == 0;
        const int cut = textEnds ? -1 : (forward ? to - from : 0);
        QTextBoundaryFinder finder(type, QStringView(text).mid(from, to - from));
        finder.setPosition(position - from);
        const auto step = [&] {
            return forward ? finder.toNextBoundary() : finder.toPreviousBoundary();
        };
        for (qsizetype at = step(); at != -1 && at != cut; at = step()) {
            if (!wanted || (finder.boundaryReasons() & wanted))
                return from + int(at);
        }
        if (textEnds)
            return forward ? size : 0;
    }
}

} // namespace

namespace TextBoundaries {

int next(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
         QTextBoundaryFinder::BoundaryReasons wanted)
{
    return find(text, position, type, wanted, true);
}

int previous(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
             QTextBoundaryFinder::BoundaryReasons wanted)
{
    return find(text, position, type, wanted, false);
}

} // namespace TextBoundaries
