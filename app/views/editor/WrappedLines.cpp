#include "WrappedLines.h"

#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <limits>

namespace {

// How much of a paragraph is measured at once: a few lines' worth. Measuring a whole long
// paragraph after every keystroke is what made typing into one slow.
constexpr int stretchLength = 512;
// Lines broken again after an edit before the rest waits for settle(): more than a panel
// shows at once, so what is on screen is always right.
constexpr int linesPerStep = 256;
// At a new width, the lines around the place shown are broken from the start of their
// paragraph when it lies at most this far back, so that they break as they will once settled;
// from further back, they are broken from where one of them began at the old width.
constexpr int paragraphReach = 4 * stretchLength;

int paragraphStart(const QString& text, int position)
{
    return position == 0 ? 0 : int(text.lastIndexOf(u'\n', position - 1)) + 1;
}

QTextOption wrapping(QTextOption::WrapMode mode)
{
    QTextOption option;
    option.setWrapMode(mode);
    return option;
}

// Where the lines after the first begin in `piece`, a stretch of one paragraph that starts a
// line. When the piece was cut from a longer paragraph, its last line is only known to begin
// where it does: its end depends on the text after the cut.
std::vector<int> lineBreaks(const QString& piece, const QFont& font, qreal width)
{
    static const QTextOption byWord = wrapping(QTextOption::WrapAtWordBoundaryOrAnywhere);
    static const QTextOption anywhere = wrapping(QTextOption::WrapAnywhere);
    std::vector<int> breaks;
    QTextLayout layout(piece, font);
    QTextBoundaryFinder opportunities(QTextBoundaryFinder::Line, piece);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        // Laid out by word, a line that starts inside a word too long for it measures the
        // rest of that word before breaking it anywhere, for each of the word's lines. So the
        // line is first filled anywhere, and by word only when a word ends within it.
        layout.setTextOption(anywhere);
        line.setLineWidth(width);
        int end = line.textStart() + line.textLength();
        opportunities.setPosition(line.textStart());
        if (end < piece.size() && opportunities.toNextBoundary() <= end) {
            layout.setTextOption(byWord);
            line.setLineWidth(width);
            end = line.textStart() + line.textLength();
        }
        if (end >= piece.size())
            break;
        breaks.push_back(end);
    }
    layout.endLayout();
    return breaks;
}

// Calls `take` with the start of each line after the one that starts at `from`, in order,
// until it returns false or the text ends.
template <typename Take>
void breakLines(const QString& text, const QFont& font, qreal width, int from, Take take)
{
    int start = from;
    int length = stretchLength;
    while (true) {
        const QStringView rest = QStringView(text).mid(start);
        const qsizetype newline = rest.left(length).indexOf(u'\n');
        const bool cut = newline < 0 && rest.size() > length;
        const std::vector<int> breaks =
            lineBreaks(rest.left(newline < 0 ? length : newline).toString(), font, width);
        for (int offset : breaks) {
            if (!take(start + offset))
                return;
        }
        if (cut) {
            // Go on from the line whose end is not known yet; when not even one line ended
            // within the stretch, measure a longer one.
            if (breaks.empty()) {
                length *= 2;
            } else {
                start += breaks.back();
                length = stretchLength;
            }
            continue;
        }
        if (newline < 0)
            return;
        start += int(newline) + 1;
        length = stretchLength;
        if (!take(start))
            return;
    }
}

} // namespace

WrappedLines::WrappedLines(const QString& text)
    : m_text(text)
{}

void WrappedLines::layout(const QFont& font, qreal width)
{
    m_font = font;
    m_width = width;
    m_starts = {0};
    m_unsettled.clear();
    m_staleFrom.reset();
    m_directions.clear();
    rebreak(0, std::numeric_limits<int>::max());
}

void WrappedLines::setWidth(qreal width, int position, int reach)
{
    m_width = width;
    m_unsettled.clear();
    m_staleFrom = 0;
    // Every line start but the first may be wrong now. Where the lines around the position
    // begin is taken from the old ones; how many lines lie before them stays an estimate until
    // they are settled.
    int line = std::max(0, lineAt(position) - reach);
    const int paragraph = paragraphStart(m_text, start(line));
    if (start(line) - paragraph <= paragraphReach)
        line = lineAt(paragraph);
    int waiting = rebreak(line, reach);
    while (waiting >= 0 && waiting < lineAt(position) + reach)
        waiting = rebreak(waiting, reach);
}

void WrappedLines::update(int position, int removed, int inserted)
{
    m_directions.clear();
    // Where a line ends depends on the first word of the next one, so the line before the
    // edit may change as well, unless the edit begins a paragraph.
    int line = lineAt(position);
    if (line > 0 && m_text[start(line) - 1] != u'\n')
        --line;
    const int from = start(line);
    const int delta = inserted - removed;
    // Starts within the replaced text are gone; those after it move with the text, and
    // where the new lines meet one of them again, the lines after it are still right.
    auto shift = [&](std::vector<int>& starts, auto first) {
        auto after = std::lower_bound(first, starts.end(), position + removed);
        std::for_each(after, starts.end(), [delta](int& start) { start += delta; });
        starts.erase(first, after);
    };
    shift(m_starts, m_starts.begin() + line + 1);
    shift(m_unsettled, std::upper_bound(m_unsettled.begin(), m_unsettled.end(), from));
    if (m_staleFrom && *m_staleFrom >= position + removed)
        *m_staleFrom += delta;
    else if (m_staleFrom && *m_staleFrom > from)
        m_staleFrom = from; // its start went with the replaced text
    rebreak(line, linesPerStep);
}

void WrappedLines::settle()
{
    if (!m_unsettled.empty() && isTrusted(m_unsettled.front()))
        rebreak(lineAt(m_unsettled.front()), linesPerStep);
    else if (m_staleFrom)
        rebreak(lineAt(*m_staleFrom), linesPerStep);
}

// Breaks the lines after `line` until a new line starts where an old one does that is known
// to be right (the lines from there on stay), the text ends, or `budget` lines were made: the
// last of them then waits to be broken further, and its number is returned (else -1). Lines
// broken from a start that is not known to be right are not known to be right either.
int WrappedLines::rebreak(int line, int budget)
{
    const int from = start(line);
    const bool trusted = isTrusted(from);
    std::vector<int> made;
    auto kept = m_starts.end();
    int waiting = -1;
    breakLines(m_text, m_font, m_width, from, [&](int start) {
        const auto old = std::lower_bound(m_starts.begin() + line + 1, m_starts.end(), start);
        if (old != m_starts.end() && *old == start && isTrusted(start)) {
            kept = old;
            return false;
        }
        made.push_back(start);
        if (int(made.size()) < budget)
            return true;
        waiting = start;
        kept = std::upper_bound(old, m_starts.end(), start);
        return false;
    });
    const int stop = kept == m_starts.end() ? int(m_text.size()) + 1 : *kept;
    m_starts.insert(m_starts.erase(m_starts.begin() + line + 1, kept), made.begin(), made.end());

    const int reached = waiting >= 0 ? waiting : stop;
    if (trusted && m_staleFrom && reached > *m_staleFrom) {
        if (waiting >= 0)
            m_staleFrom = waiting;
        else
            m_staleFrom.reset();
    }
    const auto lower = std::lower_bound(m_unsettled.begin(), m_unsettled.end(), from);
    const auto upper = std::lower_bound(lower, m_unsettled.end(), reached);
    m_unsettled.erase(lower, upper);
    if (waiting >= 0 && trusted && (!m_staleFrom || waiting < *m_staleFrom))
        m_unsettled.insert(std::lower_bound(m_unsettled.begin(), m_unsettled.end(), waiting),
                           waiting);
    return waiting >= 0 ? line + int(made.size()) : -1;
}

int WrappedLines::end(int line) const
{
    if (line + 1 >= count())
        return int(m_text.size());
    const int next = start(line + 1);
    return m_text[next - 1] == u'\n' ? next - 1 : next;
}

int WrappedLines::lineAt(int position) const
{
    return int(std::upper_bound(m_starts.begin(), m_starts.end(), position) - m_starts.begin()) - 1;
}

Qt::LayoutDirection WrappedLines::direction(int line) const
{
    while (line > 0 && m_text[start(line) - 1] != u'\n')
        --line;
    const int paragraph = start(line);
    const auto known = m_directions.find(paragraph);
    if (known != m_directions.end())
        return known->second;
    // A paragraph takes the direction of its first letter that has one, as the toolkit's own
    // editors do.
    Qt::LayoutDirection direction = Qt::LeftToRight;
    for (int i = paragraph; i < m_text.size() && m_text[i] != u'\n'; ++i) {
        const QChar::Direction kind = m_text[i].direction();
        if (kind == QChar::DirL)
            break;
        if (kind == QChar::DirR || kind == QChar::DirAL) {
            direction = Qt::RightToLeft;
            break;
        }
    }
    m_directions.emplace(paragraph, direction);
    return direction;
}

std::unique_ptr<QTextLayout> WrappedLines::shape(int line, int preeditPosition,
                                                 const QString& preedit) const
{
    const int from = start(line);
    const int to = end(line);
    auto layout = std::make_unique<QTextLayout>(m_text.mid(from, to - from), m_font);
    QTextOption option = wrapping(QTextOption::NoWrap);
    option.setTextDirection(direction(line));
    layout->setTextOption(option);
    if (!preedit.isEmpty() && preeditPosition >= 0 && lineAt(preeditPosition) == line)
        layout->setPreeditArea(preeditPosition - from, preedit);
    layout->beginLayout();
    layout->createLine().setLineWidth(m_width);
    layout->endLayout();
    return layout;
}
