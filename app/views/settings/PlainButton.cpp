#include "PlainButton.h"

#include <QHBoxLayout>

PlainButton::PlainButton(int spacing, const QMargins& padding, QWidget* parent)
    : QAbstractButton(parent)
    , m_row(new QHBoxLayout(this))
{
    // Reached with Tab; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_row->setContentsMargins(padding);
    m_row->setSpacing(spacing);
}

void PlainButton::addContent(QWidget* content)
{
    content->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_row->addWidget(content, 0, Qt::AlignVCenter);
}

void PlainButton::paintEvent(QPaintEvent*)
{
    // The content draws everything.
}
