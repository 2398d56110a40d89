#include "SettingsFooter.h"

#include "app/views/settings/PlainButton.h"
#include "app/views/settings/ThemeLabel.h"
#include "app/views/theme/FocusRing.h"
#include "app/views/theme/HelpText.h"
#include "app/views/theme/Lucide.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace {

const QString makerDomain = QStringLiteral("zorvik.dev");
const QString supportAddress = QStringLiteral("quillory@zorvik.dev");
constexpr int lineSpacing = 3;
constexpr int makerSpacing = 3;
constexpr int heartSize = 10;
constexpr int quitSpacing = 5;
constexpr int powerSize = 11;
constexpr QMargins quitPadding{9, 5, 9, 5};
constexpr qreal quitRadius = 6;
constexpr qreal quitOutlineWidth = 1;

// Quit on a small raised box with a thin outline.
class QuitButton : public PlainButton
{
public:
    explicit QuitButton(const Appearance& appearance)
        : PlainButton(quitSpacing, quitPadding)
        , m_appearance(appearance)
    {
        connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal inset = quitOutlineWidth / 2;
        const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
        painter.setBrush(Theme::popupBackground().resolved(m_appearance));
        painter.setPen(QPen(Theme::border().resolved(m_appearance), quitOutlineWidth));
        painter.drawRoundedRect(box, quitRadius - inset, quitRadius - inset);
    }

private:
    const Appearance& m_appearance;
};

ThemeLabel* footerText(const QString& text, const ThemeColor& color, const Appearance& appearance,
                       int size = SettingsFooter::fontSize)
{
    return new ThemeLabel(text, color, size, QFont::Normal, appearance);
}

} // namespace

const QUrl& SettingsFooter::makerHomePage()
{
    static const QUrl url(QStringLiteral("https://") + makerDomain);
    return url;
}

const QUrl& SettingsFooter::supportMail()
{
    static const QUrl url(QStringLiteral("mailto:") + supportAddress);
    return url;
}

SettingsFooter::SettingsFooter(const Appearance& appearance, QWidget* parent)
    : QWidget(parent)
{
    auto* maker = new PlainButton(makerSpacing);
    auto* mail = new PlainButton(0);
    auto* quit = new QuitButton(appearance);
    maker->addContent(footerText(QStringLiteral("Made with"), Theme::textSecondary(), appearance));
    maker->addContent(
        new Lucide(QStringLiteral("heart"), heartSize, Theme::destructive(), appearance));
    ThemeLabel* byMaker = footerText(QString(), Theme::textSecondary(), appearance);
    byMaker->setTextFormat(Qt::RichText);
    byMaker->setText(QStringLiteral("by <span style=\"font-weight:600\">Zorvik</span>"));
    maker->addContent(byMaker);
    maker->setToolTip(makerDomain);

    mail->addContent(footerText(supportAddress, Theme::accent(), appearance));
    mail->setToolTip(QStringLiteral("Email us"));

    quit->addContent(
        new Lucide(QStringLiteral("power"), powerSize, Theme::textPrimary(), appearance));
    quit->addContent(
        footerText(QStringLiteral("Quit"), Theme::textPrimary(), appearance, quitFontSize));
    quit->setToolTip(helpText(QStringLiteral("Quit Quillory"), QKeySequence(Qt::CTRL | Qt::Key_Q)));

    auto* links = new QVBoxLayout;
    links->setSpacing(lineSpacing);
    links->addWidget(maker, 0, Qt::AlignLeft);
    links->addWidget(mail, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding);
    row->addLayout(links);
    row->addStretch();
    row->addWidget(quit, 0, Qt::AlignVCenter);

    new FocusRing(*maker, FocusRing::squareCornerRadius, appearance);
    new FocusRing(*mail, FocusRing::squareCornerRadius, appearance);
    new FocusRing(*quit, quitRadius, appearance);

    connect(maker, &QAbstractButton::clicked, this,
            [] { QDesktopServices::openUrl(makerHomePage()); });
    connect(mail, &QAbstractButton::clicked, this,
            [] { QDesktopServices::openUrl(supportMail()); });
    connect(quit, &QAbstractButton::clicked, this, &SettingsFooter::quitRequested);
}
