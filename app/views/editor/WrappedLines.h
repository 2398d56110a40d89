#pragma once

#include <QFont>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTextLayout;

// Where a plain text breaks into the lines it is shown in, at one width in one font: after
// the last word that fits, and anywhere inside a word too long for a line, as text editors
// do. Only a few lines' worth of text is measured at a time, so breaking costs as much as the
// text is long, however long its paragraphs; after an edit only the lines around it are broken
// again, and when the change runs on past a bounded number of lines, the rest is left to
// settle() in later steps. A new width likewise breaks the lines around one place at once and
// leaves the others to settle().
class WrappedLines
{
public:
    // Follows `text`, which must outlive it; every change of it is reported to update().
    explicit WrappedLines(const QString& text);

    // Breaks the whole text.
    void layout(const QFont& font, qreal width);
    // Breaks the lines within `reach` lines of the one that shows `position` at a new width;
    // the others keep their breaks, and with them their number, until settle() has been
    // through them.
    void setWidth(qreal width, int position, int reach);
    // `removed` characters at `position` were replaced by `inserted` ones.
    void update(int position, int removed, int inserted);
    // Whether some lines may still break where the text no longer would, or at another width.
    bool isSettled() const { return m_unsettled.empty() && !m_staleFrom; }
    // Breaks again a bounded number of the lines left by update() or setWidth().
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
    int rebreak(int line, int budget);
    bool isTrusted(int start) const { return !m_staleFrom || start <= *m_staleFrom; }

    const QString& m_text;
    QFont m_font;
    qreal m_width = 0;
    std::vector<int> m_starts{0};
    // Starts of lines whose end may be wrong: the line after each was not broken again yet.
    std::vector<int> m_unsettled;
    // After a change of width, where the lines known to break right end: this line starts
    // where it should, the ones after it were broken for another width, or from such a start.
    std::optional<int> m_staleFrom;
    // Paragraph start to its direction, found on first use after each change.
    mutable std::map<int, Qt::LayoutDirection> m_directions;
};
