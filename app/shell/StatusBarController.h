#pragma once

#include "platform/Appearance.h"

#include <QColor>
#include <QObject>
#include <QPointer>

#include <optional>

class AppSettings;
class LaunchAtLogin;
class MenuStyle;
class NoteStore;
class PopoverController;
class QAction;
class QMenu;
class QMessageBox;
class StatusItem;

// The tray icon and its menu. A left click toggles the panel; a right click closes it and
// shows the menu.
class StatusBarController : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* autosaveName = "zorvik.quillory.statusItem";

    StatusBarController(StatusItem& item, PopoverController& popover, NoteStore& store,
                        LaunchAtLogin& launchAtLogin, const Appearance& appearance,
                        QObject* parent = nullptr);

    // The name of the tray icon in the desktop's icon theme, for shells that draw it themselves.
    static constexpr const char* glyphThemeName = "quillory-symbolic";

    // The tray icon's colour: the one the tray asks for; else the light or the dark text
    // colour, whichever stands out more on the bar; else one that reads on the desktop's colour
    // scheme.
    static QColor glyphColor(const std::optional<QColor>& trayForeground,
                             const std::optional<QColor>& bar, Appearance::ColorScheme scheme);
    ~StatusBarController() override;

    QMenu* menu() const { return m_menu.get(); }
    QAction* launchAtLoginAction() const { return m_launchAtLoginAction; }

    void leftClicked();
    void rightClicked();

    void newNote();
    void copyCurrentNote();
    void openSettings();
    void toggleLaunchAtLogin();
    // Asks first; only "Clear All" clears.
    void clearAllNotes();
    // Brings the clear-all alert forward when it is up, and says whether it is: while it asks,
    // nothing opens the panel behind it.
    bool raiseModalAlert();

Q_SIGNALS:
    void quitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void updateGlyph();
    void refreshLaunchAtLogin();

    StatusItem& m_item;
    PopoverController& m_popover;
    NoteStore& m_store;
    LaunchAtLogin& m_launchAtLogin;
    const Appearance& m_appearance;
    std::unique_ptr<MenuStyle> m_menuStyle;
    std::unique_ptr<QMenu> m_menu;
    QAction* m_launchAtLoginAction = nullptr;
    QPointer<QMessageBox> m_clearAllAlert;
};
