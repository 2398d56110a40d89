#include "FooterView.h"

#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/theme/HelpText.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/Lucide.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <utility>

using namespace std::chrono_literals;

namespace {

constexpr int hairlineHeight = 1;
constexpr int leftSpacing = 8;
constexpr int rightSpacing = 12;
constexpr int plusSize = 17;
constexpr int settingsSize = 15;
constexpr int copySize = 16;
constexpr int copyBoxSize = 22;
constexpr int chevronSize = 17;
constexpr int copiedFontSize = 11;
constexpr qreal checkStartScale = 0.4;
// The note's side padding and both button groups, subtracted from the note width.
constexpr qreal footerChrome = 32 + 2 * FooterView::groupWidth;
const Animation checkAppears = Animation::timingCurve(0.2, 0.9, 0.3, 1.5, 350ms);
const Animation checkGoes = Animation::easeOut(200ms);

// The copy button: a 22-point box in which the copy icon and the check mark cross-fade, the
// check mark growing from 0.4 as it comes. No bezel and no hover tint.
class CopyButton : public QAbstractButton
{
public:
    CopyButton(const Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_copy(new Lucide(QStringLiteral("copy"), copySize, Theme::textSecondary(), appearance,
                            this))
        , m_check(new Lucide(QStringLiteral("check"), copySize, Theme::success(), appearance, this))
    {
        setFocusPolicy(Qt::NoFocus);
        setFixedSize(copyBoxSize, copyBoxSize);
        const int inset = (copyBoxSize - copySize) / 2;
        m_copy->move(inset, inset);
        m_check->move(inset, inset);
        setProgress(0);
    }

    void setProgress(qreal progress)
    {
        m_copy->setOpacity(std::clamp(1 - progress, 0.0, 1.0));
        m_check->setOpacity(std::clamp(progress, 0.0, 1.0));
        m_check->setScale(checkStartScale + (1 - checkStartScale) * progress);
    }

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    Lucide* m_copy;
    Lucide* m_check;
};

QWidget* group(QWidget* parent, int spacing, Qt::Alignment alignment,
               std::initializer_list<QWidget*> items)
{
    auto* box = new QWidget(parent);
    box->setFixedWidth(FooterView::groupWidth);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    if (alignment == Qt::AlignRight)
        row->addStretch();
    for (QWidget* item : items)
        row->addWidget(item, 0, Qt::AlignVCenter);
    if (alignment == Qt::AlignLeft)
        row->addStretch();
    return box;
}

} // namespace

FooterView::FooterView(PopoverController& controller, NoteStore& store, Scheduler& scheduler,
                       const Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_store(store)
    , m_scheduler(scheduler)
    , m_appearance(appearance)
    , m_newNoteButton(new IconButton(
          QStringLiteral("plus"), plusSize, Theme::textSecondary(),
          helpText(QStringLiteral("New note"), QKeySequence(Qt::CTRL | Qt::Key_N)), appearance))
    , m_settingsButton(new IconButton(
          QStringLiteral("settings"), settingsSize, Theme::textSecondary(),
          helpText(QStringLiteral("Settings"), QKeySequence(Qt::CTRL | Qt::Key_Comma)), appearance))
    , m_copyButton(new CopyButton(appearance, nullptr))
    , m_previousButton(new IconButton(
          QStringLiteral("chevron-left"), chevronSize, Theme::textSecondary(),
          helpText(QStringLiteral("Previous note"), QKeySequence(Qt::ALT | Qt::Key_Left)),
          appearance))
    , m_nextButton(new IconButton(
          QStringLiteral("chevron-right"), chevronSize, Theme::textSecondary(),
          helpText(QStringLiteral("Next note"), QKeySequence(Qt::ALT | Qt::Key_Right)), appearance))
    , m_copiedLabel(new QLabel(QStringLiteral("Copied")))
    , m_copiedFade(new QGraphicsOpacityEffect(m_copiedLabel))
{
    setFixedHeight(height);
    m_copyButton->setToolTip(
        helpText(QStringLiteral("Copy note"), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_C)));
    m_copyButton->setAccessibleName(QStringLiteral("Copy note"));

    QFont labelFont = m_copiedLabel->font();
    labelFont.setPixelSize(copiedFontSize);
    labelFont.setWeight(QFont::Normal);
    m_copiedLabel->setFont(labelFont);
    m_copiedLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_copiedLabel->hide();

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, hairlineHeight, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(group(this, leftSpacing, Qt::AlignLeft, {m_newNoteButton, m_settingsButton}));
    row->addStretch();
    row->addWidget(m_copiedLabel, 0, Qt::AlignVCenter);
    row->addStretch();
    row->addWidget(
        group(this, rightSpacing, Qt::AlignRight, {m_copyButton, m_previousButton, m_nextButton}));
    column->addLayout(row);

    m_copiedLabel->setGraphicsEffect(m_copiedFade);
    connect(&m_checkFade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { showCheckProgress(value.toReal()); });
    // The label stays while it fades out.
    connect(&m_checkFade, &QAbstractAnimation::finished, this, &FooterView::updateCopiedLabel);

    connect(m_newNoteButton, &QAbstractButton::clicked, &controller, &PopoverController::newNote);
    connect(m_settingsButton, &QAbstractButton::clicked, &controller,
            &PopoverController::openSettings);
    connect(m_copyButton, &QAbstractButton::clicked, &controller,
            &PopoverController::copyCurrentNote);
    connect(m_previousButton, &QAbstractButton::clicked, &controller,
            &PopoverController::previousNote);
    // Does nothing when the store has no next note by now.
    connect(m_nextButton, &QAbstractButton::clicked, &controller, &PopoverController::nextNote);

    connect(&controller, &PopoverController::copiedPulseChanged, this, &FooterView::copied);
    connect(&controller, &PopoverController::modeChanged, this, [this] {
        // The note page comes back from the settings as new: a copy made before is done with.
        if (m_controller.mode() == PopoverController::Mode::note)
            startAfresh();
    });
    connect(&controller, &PopoverController::sizeChanged, this, &FooterView::updateCopiedLabel);
    connect(&store, &NoteStore::notesChanged, this, &FooterView::updateButtons);
    connect(&store, &NoteStore::currentIndexChanged, this, &FooterView::updateButtons);
    connect(&appearance, &Appearance::changed, this, [this] {
        updateCopiedLabel();
        update();
    });
    updateButtons();
    updateCopiedLabel();
}

void FooterView::updateButtons()
{
    m_previousButton->setEnabled(m_store.currentIndex() >= 1);
    m_nextButton->setEnabled(m_store.hasNext());
}

void FooterView::copied()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    // A copy while the check shows starts a fresh 1.1 s, so rapid copies never flicker.
    m_checkTask.cancel();
    setShowCheck(true);
    m_checkTask = m_scheduler.schedule(checkDuration, [this] { setShowCheck(false); });
}

void FooterView::setShowCheck(bool show)
{
    if (show == m_showCheck)
        return;
    m_showCheck = show;
    const Animation& animation = show ? checkAppears : checkGoes;
    m_checkFade.stop();
    m_checkFade.setStartValue(m_checkProgress);
    m_checkFade.setEndValue(show ? 1.0 : 0.0);
    m_checkFade.setEasingCurve(animation.curve);
    m_checkFade.setDuration(int(animation.duration.count()));
    m_checkFade.start();
    updateCopiedLabel();
    Q_EMIT showCheckChanged(show);
}

void FooterView::showCheckProgress(qreal progress)
{
    m_checkProgress = progress;
    static_cast<CopyButton*>(m_copyButton)->setProgress(progress);
    m_copiedFade->setOpacity(std::clamp(progress, 0.0, 1.0));
}

void FooterView::startAfresh()
{
    m_checkTask.cancel();
    m_checkFade.stop();
    showCheckProgress(0);
    if (std::exchange(m_showCheck, false))
        Q_EMIT showCheckChanged(false);
    updateCopiedLabel();
}

void FooterView::updateCopiedLabel()
{
    QPalette colors = m_copiedLabel->palette();
    colors.setColor(QPalette::WindowText, Theme::textSecondary().resolved(m_appearance));
    m_copiedLabel->setPalette(colors);
    const bool wideEnough = m_controller.size().width() - footerChrome >= copiedLabelRoom;
    const bool fadingOut = !m_showCheck && m_checkFade.state() == QAbstractAnimation::Running;
    m_copiedLabel->setVisible((m_showCheck || fadingOut) && wideEnough);
}

void FooterView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, width(), hairlineHeight),
                     Theme::hairline().resolved(m_appearance));
}
