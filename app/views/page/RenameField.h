#pragma once

#include <QLineEdit>

class Appearance;

// The in-place editor of a note's name: a borderless line edit inside a thin rounded accent
// ring, as wide as its text between 44 points and `maxWidth` (longer text scrolls inside it).
// Once shown it takes the focus with the whole name selected. Return, or the focus moving to
// another control, commits; Escape cancels; exactly one of the two is ever reported. Names
// stop at 40 user-perceived characters, typed or pasted.
class RenameField : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int narrowest = 44;
    static constexpr int fieldHeight = 20;
    // Room beside the text: the line edit's own 2-point margins and 5 of ours on each side.
    static constexpr int textMargin = 5;
    static constexpr int textAllowance = 14;
    static constexpr qreal ringWidth = 1.5;
    static constexpr qreal ringRadius = 5;
    static constexpr int fontSize = 12;

    RenameField(const QString& initial, qreal maxWidth, const Appearance& appearance,
                QWidget* parent = nullptr);

    qreal maxWidth() const { return m_maxWidth; }
    // Keeps the typed text; only the width is measured again.
    void setMaxWidth(qreal maxWidth);
    bool isFinished() const { return m_finished; }

    // The field's width for text `textWidth` wide.
    static int widthFor(qreal textWidth, qreal maxWidth);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

Q_SIGNALS:
    void committed(const QString& text);
    void cancelled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void limitLength();
    void applyColors();
    void finish(bool commit);

    const Appearance& m_appearance;
    qreal m_maxWidth;
    bool m_finished = false;
};
