#include "SettingsView.h"

#include "GlobalShortcuts/Recorder.h"
#include "app/notes/AppSettings.h"
#include "app/notes/LaunchAtLogin.h"
#include "app/shell/PopoverController.h"
#include "app/views/settings/DragToScroll.h"
#include "app/views/settings/HueImages.h"
#include "app/views/settings/PlainButton.h"
#include "app/views/settings/PopUpControl.h"
#include "app/views/settings/RowDivider.h"
#include "app/views/settings/SectionLabel.h"
#include "app/views/settings/SettingsBox.h"
#include "app/views/settings/SettingsFooter.h"
#include "app/views/settings/SettingsRow.h"
#include "app/views/settings/ThemeLabel.h"
#include "app/views/settings/VersionLine.h"
#include "app/views/theme/FocusRing.h"
#include "app/views/theme/HelpText.h"
#include "app/views/theme/IconButton.h"
#include "app/views/theme/SwitchToggle.h"
#include "app/views/theme/Theme.h"
#include "platform/Appearance.h"
#include "platform/MainThread.h"
#include "platform/Updater.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// The entry shown for a stored text size that is none of the list's.
constexpr int fallbackTextSize = 12;

// The entries of a pop-up and the value each one stands for.
template <typename Value> struct Choices
{
    QList<PopUpItem> items;
    QList<Value> values;
    // Shown for a value that is none of the entries'.
    int fallback = 0;

    void add(const QString& title, const Value& value, const QPixmap& image = {})
    {
        items.append({title, image});
        values.append(value);
    }
    int indexOf(const Value& value) const
    {
        const qsizetype index = values.indexOf(value);
        return index < 0 ? fallback : int(index);
    }
};

// The choices of a pop-up by the type of the setting it shows; the value only picks the list.
Choices<DeleteAfter> choicesFor(DeleteAfter, qreal)
{
    const QString titles[] = {QStringLiteral("Never"), QStringLiteral("1 hour"),
                              QStringLiteral("1 day"), QStringLiteral("1 week"),
                              QStringLiteral("30 days")};
    static_assert(std::size(titles) == DeleteAfterPeriods::allCases.size());
    Choices<DeleteAfter> choices;
    for (std::size_t i = 0; i < DeleteAfterPeriods::allCases.size(); ++i)
        choices.add(titles[i], DeleteAfterPeriods::allCases[i]);
    return choices;
}

Choices<int> choicesFor(int, qreal)
{
    Choices<int> choices;
    for (const int points : AppSettings::textSizes())
        choices.add(QString::number(points) + QStringLiteral(" pt"), points);
    choices.fallback = choices.indexOf(fallbackTextSize);
    return choices;
}

Choices<NewNoteColor> choicesFor(const NewNoteColor&, qreal devicePixelRatio)
{
    Choices<NewNoteColor> choices;
    choices.add(QStringLiteral("Rotate"), NewNoteColor::rotate(),
                HueImages::rotateImage(devicePixelRatio));
    for (const Hue hue : Hues::allCases)
        choices.add(Hues::displayName(hue), NewNoteColor::fixed(hue),
                    HueImages::swatchImage(hue, devicePixelRatio));
    return choices;
}

} // namespace

SettingsView::SettingsView(PopoverController& controller, AppSettings& settings,
                           LaunchAtLogin& launchAtLogin, Updater& updater,
                           const GlobalShortcuts::Name& openShortcut, const Appearance& appearance,
                           QWidget* parent)
    // Checked before any of its parts is made.
    : QWidget((QUILLORY_ASSERT_MAIN_THREAD(), parent))
    , m_controller(controller)
    , m_settings(settings)
    , m_launchAtLogin(launchAtLogin)
    , m_appearance(appearance)
{
    auto* footer = new SettingsFooter(appearance);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(makeContent(openShortcut, updater), 1);
    auto* rule = new QHBoxLayout;
    rule->setContentsMargins(contentPadding.left(), 0, contentPadding.right(), 0);
    rule->addWidget(new RowDivider(appearance, 0));
    column->addLayout(rule);
    column->addWidget(footer);

    connect(footer, &SettingsFooter::quitRequested, this, &SettingsView::quitRequested);
    connect(&appearance, &Appearance::changed, this, &SettingsView::applyControlColours);
    applyControlColours();
}

QWidget* SettingsView::makeHeader()
{
    auto* header = new QWidget;
    auto* back = new IconButton(
        QStringLiteral("chevron-left"), backIconSize, Theme::textSecondary(),
        helpText(QStringLiteral("Back to the note"), QKeySequence(Qt::CTRL | Qt::Key_Comma)),
        m_appearance);
    connect(back, &QAbstractButton::clicked, &m_controller, &PopoverController::backToNote);
    // Reached with Tab like the page's other controls; a click leaves the focus where it was.
    back->setFocusPolicy(Qt::TabFocus);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(headerPadding);
    row->setSpacing(headerSpacing);
    row->addWidget(back, 0, Qt::AlignVCenter);
    row->addWidget(new ThemeLabel(QStringLiteral("Settings"), Theme::textPrimary(), titleSize,
                                  QFont::DemiBold, m_appearance),
                   0, Qt::AlignVCenter);
    row->addStretch();
    new FocusRing(*back, FocusRing::squareCornerRadius, m_appearance);
    return header;
}

QWidget* SettingsView::makeContent(const GlobalShortcuts::Name& openShortcut, Updater& updater)
{
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(contentPadding);
    column->setSpacing(0);
    auto section = [&](const QString& title) {
        column->addWidget(new SectionLabel(title, m_appearance));
        auto* box = new SettingsBox(m_appearance);
        column->addWidget(box);
        return box;
    };

    SettingsBox* general = section(QStringLiteral("General"));
    auto* recorder = new GlobalShortcuts::Recorder(openShortcut);
    recorder->setFixedWidth(recorderWidth);
    QFont small = recorder->font();
    small.setPixelSize(recorderFontSize);
    recorder->setFont(small);
    recorder->setToolTip(QStringLiteral("Click, then press the keys that open Quillory"));
    addRow(general, QStringLiteral("Open with"), recorder);
    m_launchAtLoginSwitch =
        new SwitchToggle(QStringLiteral("Start Quillory when you log in"), m_appearance);
    m_launchAtLoginSwitch->setChecked(m_launchAtLogin.isEnabled());
    // Only a flip by the user changes the login item; showing the page only reads it.
    connect(m_launchAtLoginSwitch, &QAbstractButton::clicked, &m_launchAtLogin,
            &LaunchAtLogin::setEnabled);
    addRow(general, QStringLiteral("Launch at login"), m_launchAtLoginSwitch);

    SettingsBox* notes = section(QStringLiteral("Notes"));
    addRow(notes, QStringLiteral("Delete notes after"),
           choiceControl(QStringLiteral("Notes untouched for this long are deleted"),
                         &AppSettings::deleteAfter, &AppSettings::setDeleteAfter,
                         &AppSettings::deleteAfterChanged));
    addRow(notes, QStringLiteral("Text size"),
           choiceControl(QStringLiteral("Size of the note text"), &AppSettings::textSize,
                         &AppSettings::setTextSize, &AppSettings::textSizeChanged));
    addRow(notes, QStringLiteral("New note color"),
           choiceControl(QStringLiteral("Colour given to each new note"),
                         &AppSettings::newNoteColor, &AppSettings::setNewNoteColor,
                         &AppSettings::newNoteColorChanged));
    addRow(notes, QStringLiteral("New note pastes clipboard"),
           settingSwitch(QStringLiteral("A new note starts with whatever is on the clipboard"),
                         &AppSettings::newNotePastesClipboard,
                         &AppSettings::setNewNotePastesClipboard,
                         &AppSettings::newNotePastesClipboardChanged));
    addRow(notes, QStringLiteral("Paste as plain text"),
           settingSwitch(QStringLiteral("Tidy pasted text: straight quotes, plain spaces"),
                         &AppSettings::pasteAsPlainText, &AppSettings::setPasteAsPlainText,
                         &AppSettings::pasteAsPlainTextChanged));
    addRow(
        notes, QStringLiteral("Copy note on close"),
        settingSwitch(QStringLiteral("Put the note on the clipboard whenever the popover closes"),
                      &AppSettings::copyNoteOnClose, &AppSettings::setCopyNoteOnClose,
                      &AppSettings::copyNoteOnCloseChanged));

    SettingsBox* updates = section(QStringLiteral("Updates & Privacy"));
    addRow(updates, QStringLiteral("Update automatically"),
           settingSwitch(QStringLiteral("Check for new versions in the background"),
                         &AppSettings::updateAutomatically, &AppSettings::setUpdateAutomatically,
                         &AppSettings::updateAutomaticallyChanged));
    addRow(updates, QStringLiteral("Send anonymous error reports"),
           settingSwitch(QStringLiteral("Crash reports and launch counts, no note content"),
                         &AppSettings::sendErrorReports, &AppSettings::setSendErrorReports,
                         &AppSettings::sendErrorReportsChanged));
    auto* checkNow = new PlainButton(0);
    checkNow->addContent(new ThemeLabel(QStringLiteral("Check now"), Theme::accent(), checkNowSize,
                                        QFont::Medium, m_appearance));
    checkNow->setToolTip(QStringLiteral("Check for a new version now"));
    // Does nothing while the updater is not running.
    connect(checkNow, &QAbstractButton::clicked, &updater, &Updater::checkForUpdates);
    addRow(updates, versionLine(), checkNow);

    m_scrollArea = new QScrollArea;
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFocusPolicy(Qt::StrongFocus);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    m_scrollArea->setWidget(content);
    content->setAutoFillBackground(false);
    // Where the panel holds less than the whole page; the wheel, the keys and Tab (which
    // brings the control it focuses into view) scroll it as well.
    new DragToScroll(*m_scrollArea);
    return m_scrollArea;
}

SettingsRow* SettingsView::addRow(SettingsBox* box, const QString& title, QWidget* control)
{
    auto* row = new SettingsRow(title, control, m_appearance);
    box->addRow(row);
    const bool capsule = qobject_cast<SwitchToggle*>(control) != nullptr;
    new FocusRing(*control,
                  capsule ? SwitchToggle::trackSize.height() / 2.0 : FocusRing::squareCornerRadius,
                  m_appearance);
    m_rows.append(row);
    return row;
}

SettingsRow* SettingsView::row(const QString& title) const
{
    for (SettingsRow* row : m_rows) {
        if (row->title()->text() == title)
            return row;
    }
    return nullptr;
}

template <typename Value, typename Changed>
PopUpControl* SettingsView::choiceControl(const QString& help, Value (AppSettings::*read)() const,
                                          void (AppSettings::*write)(Value), Changed changed)
{
    auto* control = new PopUpControl;
    // The settings are captured by reference rather than through `this`: GCC's check of the
    // dynamic type of `this` goes astray in a lambda of a member template called by Qt.
    AppSettings& settings = m_settings;
    // As the page would be drawn again: the same titles keep the entries, only the choice moves.
    auto refresh = [&settings, control, read, help] {
        const Value current = (settings.*read)();
        const auto choices = choicesFor(current, control->devicePixelRatioF());
        control->setItems(choices.items, choices.indexOf(current), help);
    };
    refresh();
    connect(&settings, changed, control, refresh);
    connect(control, &QComboBox::activated, this, [&settings, control, read, write](int index) {
        QUILLORY_ASSERT_MAIN_THREAD();
        const auto choices = choicesFor((settings.*read)(), control->devicePixelRatioF());
        if (index >= 0 && index < choices.values.size())
            (settings.*write)(choices.values[index]);
    });
    return control;
}

template <typename Changed>
SwitchToggle* SettingsView::settingSwitch(const QString& help, bool (AppSettings::*read)() const,
                                          void (AppSettings::*write)(bool), Changed changed)
{
    auto* toggle = new SwitchToggle(help, m_appearance);
    toggle->setChecked((m_settings.*read)());
    // By reference, as in choiceControl.
    AppSettings& settings = m_settings;
    connect(toggle, &QAbstractButton::clicked, this,
            [&settings, write](bool on) { (settings.*write)(on); });
    connect(&m_settings, changed, toggle, &QAbstractButton::setChecked);
    return toggle;
}

void SettingsView::showEvent(QShowEvent* event)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    QWidget::showEvent(event);
    m_launchAtLoginSwitch->setChecked(m_launchAtLogin.isEnabled());
    m_scrollArea->verticalScrollBar()->setValue(0);
    // Keys scroll the page; the recorder records only when it is chosen.
    m_scrollArea->setFocus(Qt::OtherFocusReason);
}

void SettingsView::applyControlColours()
{
    QPalette colours = palette();
    auto set = [&](std::initializer_list<QPalette::ColorRole> roles, const ThemeColor& colour) {
        for (const QPalette::ColorRole role : roles)
            colours.setColor(role, colour.resolved(m_appearance));
    };
    set({QPalette::Window, QPalette::Base, QPalette::Button}, Theme::card());
    set({QPalette::WindowText, QPalette::Text, QPalette::ButtonText}, Theme::textPrimary());
    set({QPalette::PlaceholderText}, Theme::textTertiary());
    set({QPalette::Highlight}, Theme::accent());
    colours.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(colours);
}
