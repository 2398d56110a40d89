#include "StatusBarController.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "app/notes/LaunchAtLogin.h"
#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/theme/IconImage.h"
#include "app/views/theme/MenuStyle.h"
#include "app/views/theme/Theme.h"
#include "platform/MainThread.h"
#include "platform/Pasteboard.h"
#include "platform/StatusItem.h"
#include "platform/WindowSystem.h"
#include "platform/WindowSystemWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr int trayIconSize = 16;
constexpr int menuIconSize = 14;

// Relative luminance of sRGB colours, and the contrast between two of them as accessibility
// guidelines measure it: from 1 (the same) to 21 (black on white).
constexpr qreal linearThreshold = 0.03928;
constexpr qreal linearSlope = 12.92;
constexpr qreal gammaOffset = 0.055;
constexpr qreal gamma = 2.4;
constexpr qreal redWeight = 0.2126;
constexpr qreal greenWeight = 0.7152;
constexpr qreal blueWeight = 0.0722;
constexpr qreal flare = 0.05;

qreal luminance(const QColor& color)
{
    const auto linear = [](qreal channel) {
        return channel <= linearThreshold
                   ? channel / linearSlope
                   : std::pow((channel + gammaOffset) / (1 + gammaOffset), gamma);
    };
    return redWeight * linear(color.redF()) + greenWeight * linear(color.greenF()) +
           blueWeight * linear(color.blueF());
}

qreal contrast(const QColor& a, const QColor& b)
{
    const qreal first = luminance(a) + flare;
    const qreal second = luminance(b) + flare;
    return std::max(first, second) / std::min(first, second);
}

// The menu's style draws icons in the colour of the text, as template images.
QIcon menuIcon(const QString& name)
{
    const QPixmap pixmap = iconPixmap(name, menuIconSize, Qt::black, qApp->devicePixelRatio());
    return pixmap.isNull() ? QIcon() : QIcon(pixmap);
}

// The message stands out above the text, and the text keeps to one line: the box would size
// itself to the message alone and wrap the longer text under it into a narrow column.
void layOutAlert(QMessageBox& alert)
{
    auto* grid = qobject_cast<QGridLayout*>(alert.layout());
    if (!grid)
        return;
    const int rows = grid->rowCount();
    for (int index = 0; index < grid->count(); ++index) {
        auto* label = qobject_cast<QLabel*>(grid->itemAt(index)->widget());
        if (label && label->text() == alert.text()) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        } else if (label && label->text() == alert.informativeText()) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            const int width = label->fontMetrics().horizontalAdvance(label->text());
            grid->addItem(new QSpacerItem(width, 0), rows, column);
        }
    }
}

} // namespace

StatusBarController::StatusBarController(StatusItem& item, PopoverController& popover,
                                         NoteStore& store, LaunchAtLogin& launchAtLogin,
                                         const Appearance& appearance, QObject* parent)
    : QObject(parent)
    , m_item(item)
    , m_popover(popover)
    , m_store(store)
    , m_launchAtLogin(launchAtLogin)
    , m_appearance(appearance)
    , m_menuStyle(std::make_unique<MenuStyle>(appearance))
    , m_menu(std::make_unique<QMenu>())
{
    m_popover.setStatusItem(&m_item);
    updateGlyph();
    connect(&m_appearance, &Appearance::changed, this, [this] {
        updateGlyph();
        // Bars follow a new colour scheme too, in their own time.
        m_item.refreshBarColor();
    });
    connect(&WindowSystemWatcher::instance(), &WindowSystemWatcher::trayForegroundChanged, this,
            &StatusBarController::updateGlyph);
    connect(&m_item, &StatusItem::barColorChanged, this, &StatusBarController::updateGlyph);
    m_item.setAccessibilityLabel(QStringLiteral("Quillory"));
    m_item.setAutosaveName(QString::fromLatin1(autosaveName));
    connect(&m_item, &StatusItem::clicked, this, &StatusBarController::leftClicked);
    connect(&m_item, &StatusItem::rightClicked, this, &StatusBarController::rightClicked);
    connect(&m_launchAtLogin, &LaunchAtLogin::changed, this,
            [this](bool enabled) { m_launchAtLoginAction->setChecked(enabled); });
    buildMenu();
    // A global shortcut may not take the keys of one of these entries.
    GlobalShortcuts::setMainMenu(m_menu.get());
}

StatusBarController::~StatusBarController()
{
    // It asks on this controller's behalf.
    delete m_clearAllAlert;
}

QColor StatusBarController::glyphColor(const std::optional<QColor>& trayForeground,
                                       const std::optional<QColor>& bar,
                                       Appearance::ColorScheme scheme)
{
    if (trayForeground)
        return *trayForeground;
    if (!bar)
        return Theme::textPrimary().resolved(scheme);
    const QColor light = Theme::textPrimary().resolved(Appearance::ColorScheme::Dark);
    const QColor dark = Theme::textPrimary().resolved(Appearance::ColorScheme::Light);
    return contrast(light, *bar) >= contrast(dark, *bar) ? light : dark;
}

void StatusBarController::updateGlyph()
{
    const QColor color = glyphColor(WindowSystemWatcher::instance().trayForeground(),
                                    m_item.barColor(), m_appearance.colorScheme());
    const QPixmap glyph =
        iconPixmap(QStringLiteral("MenuBarGlyph"), trayIconSize, color, qApp->devicePixelRatio());
    if (!glyph.isNull())
        m_item.setIcon(namedIcon(QString::fromLatin1(glyphThemeName), glyph));
}

void StatusBarController::buildMenu()
{
    m_menuStyle->apply(*m_menu);
    auto add = [this](const QString& title, const char* icon, QKeySequence shortcut,
                      void (StatusBarController::*slot)()) {
        QAction* action = m_menu->addAction(menuIcon(QString::fromLatin1(icon)), title);
        // Shown as a hint only: the same keys are the panel's own commands.
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(QStringLiteral("New Note"), "square-pen", QKeySequence(Qt::CTRL | Qt::Key_N),
        &StatusBarController::newNote);
    add(QStringLiteral("Copy Current Note"), "copy", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
        &StatusBarController::copyCurrentNote);
    m_menu->addSeparator();
    add(QStringLiteral("Settings\u2026"), "settings", QKeySequence(Qt::CTRL | Qt::Key_Comma),
        &StatusBarController::openSettings);
    m_launchAtLoginAction = add(QStringLiteral("Launch at Login"), "log-in", QKeySequence(),
                                &StatusBarController::toggleLaunchAtLogin);
    m_launchAtLoginAction->setCheckable(true);
    m_menu->addSeparator();
    add(QStringLiteral("Clear All Notes\u2026"), "trash-2", QKeySequence(),
        &StatusBarController::clearAllNotes);
    m_menu->addSeparator();
    QAction* quit =
        m_menu->addAction(menuIcon(QStringLiteral("power")), QStringLiteral("Quit Quillory"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::WidgetShortcut);
    connect(quit, &QAction::triggered, this, &StatusBarController::quitRequested);
}

void StatusBarController::refreshLaunchAtLogin()
{
    m_launchAtLoginAction->setChecked(m_launchAtLogin.isEnabled());
}

void StatusBarController::leftClicked()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (raiseModalAlert())
        return;
    if (m_popover.isOpen())
        m_popover.close();
    else
        m_popover.open();
}

void StatusBarController::rightClicked()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_popover.close();
    refreshLaunchAtLogin();
    m_item.popUpMenu(m_menu.get());
}

void StatusBarController::newNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (raiseModalAlert())
        return;
    m_popover.open();
    m_popover.newNote();
}

void StatusBarController::copyCurrentNote()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    Pasteboard::setPlainText(m_store.currentNote().text);
}

void StatusBarController::openSettings()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (raiseModalAlert())
        return;
    m_popover.open();
    m_popover.openSettings();
}

void StatusBarController::toggleLaunchAtLogin()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    m_launchAtLogin.setEnabled(!m_launchAtLogin.isEnabled());
}

bool StatusBarController::raiseModalAlert()
{
    if (!m_clearAllAlert || !m_clearAllAlert->isVisible())
        return false;
    m_clearAllAlert->raise();
    m_clearAllAlert->activateWindow();
    return true;
}

void StatusBarController::clearAllNotes()
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (raiseModalAlert())
        return;
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Clear all notes?"),
                                  QStringLiteral("Clear all notes?"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setInformativeText(QStringLiteral("Every page will be removed. This can't be undone."));
    const auto followAppearance = [this, alert] {
        alert->setPalette(Theme::palette(m_appearance.colorScheme()));
    };
    followAppearance();
    connect(&m_appearance, &Appearance::changed, alert, followAppearance);
    alert->setFont(MenuStyle::font());
    layOutAlert(*alert);
    QPushButton* clear =
        alert->addButton(QStringLiteral("Clear All"), QMessageBox::DestructiveRole);
    alert->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    alert->setDefaultButton(clear);
    connect(alert, &QMessageBox::buttonClicked, this, [this, clear](QAbstractButton* button) {
        if (button == clear)
            m_store.clearAll();
    });
    m_clearAllAlert = alert;
    alert->installEventFilter(this);
    alert->open();
    raiseModalAlert();
}

bool StatusBarController::eventFilter(QObject* watched, QEvent* event)
{
    // Made but not yet mapped: window managers read the hints as they map the window. Made any
    // earlier, before it knows it is modal, the alert could not take the focus back later.
    // The kind first: while the alert is being destroyed it is no message box any more, and the
    // pointer must not be read as one.
    if (event->type() == QEvent::Show && watched == m_clearAllAlert)
        WindowSystem::setAlertHints(m_clearAllAlert->winId());
    return QObject::eventFilter(watched, event);
}
