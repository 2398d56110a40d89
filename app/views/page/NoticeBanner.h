#pragma once

#include <QWidget>

class Appearance;
class NoteStore;
class QAbstractButton;
class QLabel;

// A small box at the top of the note page. While the notes cannot be saved it says what failed
// and where, tinted as a warning, until a save succeeds; below, what this run has to tell about
// the notes' files, until the user dismisses it. It never takes the focus: typing goes on.
// The box fills the contents rectangle; the contents margins keep it off the page's edges.
class NoticeBanner : public QWidget
{
    Q_OBJECT

public:
    static constexpr int cornerRadius = 8;
    static constexpr QMargins padding{8, 5, 8, 5};
    static constexpr int spacing = 4;
    static constexpr int fontSize = 11;

    NoticeBanner(NoteStore& store, const Appearance& appearance, QWidget* parent = nullptr);

    QString textShown() const;
    QAbstractButton* dismissButton() const { return m_dismiss; }
    // Drawn as a warning: saving fails.
    bool isWarning() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    NoteStore& m_store;
    const Appearance& m_appearance;
    QLabel* m_text;
    QAbstractButton* m_dismiss;
};
