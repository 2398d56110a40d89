#pragma once

#include <QFont>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QTextLayout;

// Where a plain text breaks into the lines it is shown in, at one width in one font: after
// the last word that fits, and anywhere inside a word too long for a line, as text editors
// do. Only a few lines' worth of text is measured at a time, so breaking costs as much as the
// text is long, however long its paragraphs; after an edit only the lines around it are broken
// again, and when the change runs on past a bounded number of lines, the rest is left to
// settle() in later steps.
class WrappedLines
{
public:
    // Follows `text`, which must outlive it; every change of it is reported to update().
    explicit WrappedLines(const QString& text);

    // Breaks the whole text.
    void layout(const QFont& font, qreal width);
    // `removed` characters at `position` were replaced by `inserted` ones.
    void update(int position, int removed, int inserted);
    // Whether some lines after an edit may still break where the text no longer would.
    bool isSettled() const { return m_unsettled.empty(); }
    // Breaks again a bounded number of the lines left by update().
    void settle();

    const QFont& font() const { return m_font; }
    qreal width() const { return m_width; }
    int count() const { return int(m_starts.size()); }
    int start(int line) const { return m_starts[std::size_t(line)]; }
    // Where the line's text ends: a paragraph's last line ends before its line break.
    int end(int line) const;
    // The line that shows `position`; where a line wraps, the position begins the next one.
    int lineAt(int position) const;
    Qt::LayoutDirection direction(int line) const;

    // The line's text shaped for drawing and hit testing, as one line at (0, 0); `preedit`
    // is shown at `preeditPosition` when the line shows that position.
    std::unique_ptr<QTextLayout> shape(int line, int preeditPosition = -1,
                                       const QString& preedit = {}) const;

private:
    void rebreak(int line, int budget);

    const QString& m_text;
    QFont m_font;
    qreal m_width = 0;
    std::vector<int> m_starts{0};
    // Starts of lines whose end may be wrong: the line after each was not broken again yet.
    std::vector<int> m_unsettled;
    // Paragraph start to its direction, found on first use after each change.
    mutable std::map<int, Qt::LayoutDirection> m_directions;
};
