#pragma once

#include <QWidget>

class Appearance;

// The foot of the settings page: who made Quillory and how to write to them, and Quit.
class SettingsFooter : public QWidget
{
    Q_OBJECT

public:
    static constexpr QMargins padding{14, 10, 14, 10};
    static constexpr int fontSize = 11;
    static constexpr int quitFontSize = 12;

    // The maker's home page and the support address, opened with the desktop's handlers.
    static const QUrl& makerHomePage();
    static const QUrl& supportMail();

    explicit SettingsFooter(const Appearance& appearance, QWidget* parent = nullptr);

Q_SIGNALS:
    void quitRequested();
};
