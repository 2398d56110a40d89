#include "TextBoundaries.h"

#include <algorithm>

namespace {

// Characters on the far side of a position that can decide whether it is a boundary.
constexpr int context = 32;
// How far the first look goes; it doubles until a boundary turns up.
constexpr int firstReach = 64;

} // namespace

namespace TextBoundaries {

int next(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
         QTextBoundaryFinder::BoundaryReasons wanted)
{
    const int size = int(text.size());
    for (int reach = firstReach;; reach *= 2) {
        const int from = std::max(0, position - context);
        const int to = std::min(size, position + reach);
        QTextBoundaryFinder finder(type, QStringView(text).mid(from, to - from));
        finder.setPosition(position - from);
        for (qsizetype at = finder.toNextBoundary(); at != -1; at = finder.toNextBoundary()) {
            if (from + at == to && to < size)
                break; // the end of the stretch looked at, not of the text
            if (!wanted || (finder.boundaryReasons() & wanted))
                return from + int(at);
        }
        if (to == size)
            return size;
    }
}

int previous(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
             QTextBoundaryFinder::BoundaryReasons wanted)
{
    for (int reach = firstReach;; reach *= 2) {
        const int from = std::max(0, position - reach);
        const int to = std::min(int(text.size()), position + context);
        QTextBoundaryFinder finder(type, QStringView(text).mid(from, to - from));
        finder.setPosition(position - from);
        for (qsizetype at = finder.toPreviousBoundary(); at != -1;
             at = finder.toPreviousBoundary()) {
            if (at == 0 && from > 0)
                break;
            if (!wanted || (finder.boundaryReasons() & wanted))
                return from + int(at);
        }
        if (from == 0)
            return 0;
    }
}

} // namespace TextBoundaries
