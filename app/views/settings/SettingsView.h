#pragma once

#include <QWidget>

class AppSettings;
class Appearance;
class LaunchAtLogin;
class PopUpControl;
class PopoverController;
class QScrollArea;
class SettingsBox;
class SettingsRow;
class SwitchToggle;
class Updater;

namespace GlobalShortcuts {
class Name;
} // namespace GlobalShortcuts

// The page that fills the panel in settings mode: a header with the way back, the settings in
// three sections on a page that scrolls, and the footer. Every control shows the current value
// and writes a change through at once; nothing waits for a confirmation.
class SettingsView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QMargins headerPadding{12, 13, 12, 4};
    static constexpr int headerSpacing = 6;
    static constexpr int backIconSize = 17;
    static constexpr int titleSize = 15;
    static constexpr QMargins contentPadding{14, 0, 14, 10};
    static constexpr int recorderWidth = 128;
    static constexpr int recorderFontSize = 12;
    static constexpr int checkNowSize = 13;

    SettingsView(PopoverController& controller, AppSettings& settings, LaunchAtLogin& launchAtLogin,
                 Updater& updater, const GlobalShortcuts::Name& openShortcut,
                 const Appearance& appearance, QWidget* parent = nullptr);

    // The row of this title; null when there is none.
    SettingsRow* row(const QString& title) const;

Q_SIGNALS:
    void quitRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeContent(const GlobalShortcuts::Name& openShortcut, Updater& updater);
    SettingsRow* addRow(SettingsBox* box, const QString& title, QWidget* control);
    template <typename Value, typename Changed>
    PopUpControl* choiceControl(const QString& help, Value (AppSettings::*read)() const,
                                void (AppSettings::*write)(Value), Changed changed);
    template <typename Changed>
    SwitchToggle* settingSwitch(const QString& help, bool (AppSettings::*read)() const,
                                void (AppSettings::*write)(bool), Changed changed);
    void applyControlColours();

    PopoverController& m_controller;
    AppSettings& m_settings;
    LaunchAtLogin& m_launchAtLogin;
    const Appearance& m_appearance;
    QScrollArea* m_scrollArea = nullptr;
    SwitchToggle* m_launchAtLoginSwitch = nullptr;
    QList<SettingsRow*> m_rows;
};
