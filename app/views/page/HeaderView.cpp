#include "HeaderView.h"

#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/page/RenameField.h"
#include "app/views/theme/HelpText.h"
#include "app/views/theme/HueDot.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/Lucide.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>

#include <chrono>
#include <optional>

namespace {

constexpr int renameIconSize = 13;
constexpr int listIconSize = 12;
constexpr int deleteIconSize = 15;
constexpr int nameFontSize = 12;
constexpr qreal nameTracking = -0.1;
constexpr int listRotationDuration = 180; // ms
constexpr qreal listOpenRotation = 180;

// A borderless button whose look is whatever it holds; the whole rectangle takes the click.
class PlainButton : public QAbstractButton
{
public:
    explicit PlainButton(QWidget* parent)
        : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {}
};

// The note's name, one line, cut short with an ellipsis when the row is too narrow.
class NameButton : public QAbstractButton
{
public:
    NameButton(const Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(appearance)
    {
        setFocusPolicy(Qt::NoFocus);
        QFont nameFont = font();
        nameFont.setPixelSize(nameFontSize);
        nameFont.setWeight(QFont::DemiBold);
        nameFont.setLetterSpacing(QFont::AbsoluteSpacing, nameTracking);
        setFont(nameFont);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return {qCeil(metrics.horizontalAdvance(text())) + 1, fontMetrics().height()};
    }
    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }

    // When the press of the click being delivered happened, by the input events' clock; none
    // for a click that no press began (the accessibility layer's).
    std::optional<std::chrono::milliseconds> pressTime() const { return m_pressTime; }

protected:
    // A double tap is measured from press to press, as the desktop measures a double click.
    void mousePressEvent(QMouseEvent* event) override
    {
        m_pressTime = std::chrono::milliseconds(event->timestamp());
        QAbstractButton::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QAbstractButton::mouseReleaseEvent(event);
        m_pressTime.reset();
    }
    void paintEvent(QPaintEvent*) override
    {
        QUILLORY_ASSERT_MAIN_THREAD();
        QPainter painter(this);
        painter.setPen(Theme::textSecondary().resolved(m_appearance));
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, width());
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }

private:
    const Appearance& m_appearance;
    std::optional<std::chrono::milliseconds> m_pressTime;
};

} // namespace

HeaderView::HeaderView(PopoverController& controller, NoteStore& store,
                       const Appearance& appearance, QWidget& page)
    // Checked before any of its parts is made.
    : QWidget((QUILLORY_ASSERT_MAIN_THREAD(), &page))
    , m_controller(controller)
    , m_store(store)
    , m_renameButton(new PlainButton(this))
    , m_nameButton(new NameButton(appearance, this))
    , m_dot(new HueDot(store.currentNote().hue, this))
    , m_listButton(new IconButton(
          QStringLiteral("chevron-down"), listIconSize, Theme::textSecondary(),
          helpText(QStringLiteral("All notes"), QKeySequence(Qt::ALT | Qt::Key_Down)), appearance,
          this))
    , m_deleteButton(
          new IconButton(QStringLiteral("trash-2"), deleteIconSize, Theme::textSecondary(),
                         helpText(QStringLiteral("Delete note"), PopoverController::deleteNoteKeys),
                         appearance, this))
    , m_dotButton(new PlainButton(&page))
    , m_row(new QHBoxLayout(this))
    , m_appearance(appearance)
{
    setFixedHeight(height);

    new Lucide(QStringLiteral("square-pen"), renameIconSize, Theme::textTertiary(), appearance,
               m_renameButton);
    m_renameButton->setFixedSize(renameIconSize, renameIconSize);
    m_renameButton->setToolTip(QStringLiteral("Rename note"));
    m_nameButton->setToolTip(QStringLiteral("All notes (click) · Rename (double-click)"));
    m_dotButton->setFixedSize(dotTapSize);
    m_dotButton->setToolTip(QStringLiteral("Note color"));

    QHBoxLayout* row = m_row;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    row->addWidget(m_renameButton, 0, Qt::AlignVCenter);
    row->addWidget(m_nameButton, 0, Qt::AlignVCenter);
    row->addWidget(m_dot, 0, Qt::AlignVCenter);
    row->addWidget(m_listButton, 0, Qt::AlignVCenter);
    row->addSpacerItem(
        new QSpacerItem(minimumGap, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(m_deleteButton, 0, Qt::AlignVCenter);
    // The tap area follows the dot and the list button wherever the row puts them.
    m_dot->installEventFilter(this);
    m_listButton->installEventFilter(this);

    m_listRotation.setDuration(listRotationDuration);
    m_listRotation.setEasingCurve(QEasingCurve::OutQuad);
    connect(
        &m_listRotation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant& degrees) { m_listButton->icon()->setRotation(degrees.toReal()); });

    connect(m_renameButton, &QAbstractButton::clicked, this, [this] {
        QUILLORY_ASSERT_MAIN_THREAD();
        m_controller.setPickerOpen(false);
        m_controller.closeList();
        m_controller.setRenaming(true);
    });
    connect(m_nameButton, &QAbstractButton::clicked, this, [this] {
        if (const auto pressTime = static_cast<NameButton*>(m_nameButton)->pressTime())
            m_controller.nameTapped(*pressTime);
        else
            m_controller.toggleList();
    });
    connect(m_dotButton, &QAbstractButton::clicked, this, [this] {
        QUILLORY_ASSERT_MAIN_THREAD();
        m_controller.setRenaming(false);
        m_controller.closeList();
        m_controller.togglePicker();
    });
    connect(m_listButton, &QAbstractButton::clicked, &controller, &PopoverController::toggleList);
    connect(m_deleteButton, &QAbstractButton::clicked, &controller,
            &PopoverController::deleteCurrentNote);

    connect(&store, &NoteStore::notesChanged, this, &HeaderView::showCurrentNote);
    connect(&store, &NoteStore::currentIndexChanged, this, &HeaderView::showCurrentNote);
    connect(&controller, &PopoverController::renamingChanged, this, &HeaderView::followRenaming);
    connect(&controller, &PopoverController::sizeChanged, this, [this] {
        if (m_renameField)
            m_renameField->setMaxWidth(renameFieldMaxWidth());
    });
    connect(&controller, &PopoverController::listOpenChanged, this, &HeaderView::rotateListButton);

    m_noteID = store.currentNote().id;
    showCurrentNote();
    followRenaming();
    m_listButton->icon()->setRotation(controller.listOpen() ? listOpenRotation : 0);
}

void HeaderView::showCurrentNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const Note& note = m_store.currentNote();
    if (note.id != m_noteID) {
        m_noteID = note.id;
        // A name being typed belongs to the note it was started on.
        m_controller.setRenaming(false);
    }
    m_nameButton->setText(note.name);
    m_nameButton->updateGeometry();
    m_dot->setHue(note.hue);
}

qreal HeaderView::renameFieldMaxWidth() const
{
    return std::max(qreal(RenameField::narrowest),
                    m_controller.size().width() - renameFieldAllowance);
}

void HeaderView::followRenaming()
{
    const bool renaming = m_controller.renaming();
    m_nameButton->setVisible(!renaming);
    if (renaming && !m_renameField) {
        m_renamingID = m_store.currentNote().id;
        m_renameField =
            new RenameField(m_store.currentNote().name, renameFieldMaxWidth(), m_appearance, this);
        m_row->insertWidget(m_row->indexOf(m_nameButton), m_renameField, 0, Qt::AlignVCenter);
        connect(m_renameField, &RenameField::committed, this, &HeaderView::commitRename);
        connect(m_renameField, &RenameField::cancelled, this, &HeaderView::cancelRename);
        m_renameField->show();
    } else if (!renaming && m_renameField) {
        // Gone without a word: whatever ended renaming decided the outcome.
        m_renameField->blockSignals(true);
        m_renameField->hide();
        m_renameField->deleteLater();
        m_renameField = nullptr;
    }
}

void HeaderView::commitRename(const QString& text)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (!m_controller.renaming())
        return;
    m_controller.setRenaming(false);
    m_store.rename(m_renamingID, text);
}

void HeaderView::cancelRename()
{
    m_controller.setRenaming(false);
}

void HeaderView::rotateListButton()
{
    m_listRotation.stop();
    m_listRotation.setStartValue(m_listButton->icon()->rotation());
    m_listRotation.setEndValue(m_controller.listOpen() ? listOpenRotation : 0.0);
    m_listRotation.start();
}

bool HeaderView::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_dot || watched == m_listButton) && event->type() == QEvent::Move)
        placeDotTapArea();
    return QWidget::eventFilter(watched, event);
}

void HeaderView::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    placeDotTapArea();
}

void HeaderView::placeDotTapArea()
{
    QWidget* page = m_dotButton->parentWidget();
    const QRect area(m_dot->mapTo(page, QPoint(0, 0)), dotTapSize);
    m_dotButton->setGeometry(area);
    // Where the list button beside the dot lies, the click is the list button's.
    const QRect listButton(m_listButton->mapTo(page, QPoint(0, 0)), m_listButton->size());
    m_dotButton->setMask(QRegion(m_dotButton->rect()) -
                         QRegion(listButton.translated(-area.topLeft())));
}
