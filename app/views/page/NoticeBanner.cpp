#include "NoticeBanner.h"

#include "app/notes/NoteStore.h"
#include "app/views/theme/TextButton.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace {

constexpr QChar breakOpportunity(0x200B); // zero width space

// Paths have no spaces to wrap at, and a time stamp in a file name none a line may break at:
// inside a path, a line may break after any "/", "." or "-".
QString wrappable(const QString& text)
{
    static const QRegularExpression path(QStringLiteral("\\S*/\\S*"));
    static const QRegularExpression separator(QStringLiteral("([/.-])"));
    QString result;
    qsizetype done = 0;
    for (const QRegularExpressionMatch& match : path.globalMatch(text)) {
        result += text.mid(done, match.capturedStart() - done);
        result += match.captured().replace(separator, QStringLiteral("\\1") + breakOpportunity);
        done = match.capturedEnd();
    }
    return result + text.mid(done);
}

} // namespace

NoticeBanner::NoticeBanner(NoteStore& store, const Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_store(store)
    , m_appearance(appearance)
    , m_text(new QLabel(this))
    , m_dismiss(new TextButton(QStringLiteral("OK"), Theme::accent(), appearance, this))
{
    QFont small = m_text->font();
    small.setPixelSize(fontSize);
    m_text->setFont(small);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding);
    column->setSpacing(spacing);
    column->addWidget(m_text);
    column->addWidget(m_dismiss, 0, Qt::AlignRight);

    connect(m_dismiss, &QAbstractButton::clicked, &store, [&store] {
        QUILLORY_ASSERT_MAIN_THREAD();
        store.dismissNotices();
    });
    connect(&store, &NoteStore::saveProblemChanged, this, &NoticeBanner::refresh);
    connect(&store, &NoteStore::noticesChanged, this, &NoticeBanner::refresh);
    connect(&appearance, &Appearance::changed, this, &NoticeBanner::refresh);
    refresh();
}

QString NoticeBanner::textShown() const
{
    return m_text->text().remove(breakOpportunity);
}

bool NoticeBanner::isWarning() const
{
    return !m_store.saveProblem().isEmpty();
}

void NoticeBanner::refresh()
{
    QStringList lines = m_store.notices();
    if (isWarning())
        lines.prepend(m_store.saveProblem());
    m_text->setText(wrappable(lines.join(QLatin1Char('\n'))));
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, Theme::textPrimary().resolved(m_appearance));
    m_text->setPalette(palette);
    m_dismiss->setVisible(!m_store.notices().isEmpty());
    setVisible(!lines.isEmpty());
    update();
}

void NoticeBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const ThemeColor& fill = isWarning() ? Theme::warningBackground() : Theme::rowHighlight();
    painter.setBrush(fill.resolved(m_appearance));
    painter.drawRoundedRect(QRectF(contentsRect()), cornerRadius, cornerRadius);
}
