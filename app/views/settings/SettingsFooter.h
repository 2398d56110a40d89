#pragma once

#include <QWidget>

class Appearance;
class PlainButton;

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

    PlainButton* makerButton() const { return m_makerButton; }
    PlainButton* mailButton() const { return m_mailButton; }
    PlainButton* quitButton() const { return m_quitButton; }

Q_SIGNALS:
    void quitRequested();

private:
    PlainButton* m_makerButton;
    PlainButton* m_mailButton;
    PlainButton* m_quitButton;
};
