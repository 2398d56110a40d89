#pragma once

#include <QString>
#include <QTextBoundaryFinder>

// Boundaries of characters as a reader sees them and of words, found without looking at more
// of a long text than the step needs.
namespace TextBoundaries {

// The first boundary of `type` after `position` whose reasons include `wanted` (any when
// empty), or the end of the text.
int next(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
         QTextBoundaryFinder::BoundaryReasons wanted = {});
// The last such boundary before `position`, or the start of the text.
int previous(const QString& text, int position, QTextBoundaryFinder::BoundaryType type,
             QTextBoundaryFinder::BoundaryReasons wanted = {});

} // namespace TextBoundaries
