#include "GlobalShortcuts/ModalAlert.h"

#include "GlobalShortcuts/ModuleStrings.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace GlobalShortcuts {

namespace {

// The alert's edge: a line of its text's colour, as faint as the panel's own borders.
constexpr qreal frameOpacity = 0.15;

// An alert that must be answered, shown as a sheet of the window it speaks for: without a
// frame of the window manager's, whose buttons would minimise or maximise it, but with a line
// of its own; in the colours of the widget it speaks for, light or dark, for as long as it is
// open.
class AlertSheet final : public QMessageBox
{
public:
    explicit AlertSheet(QWidget* origin)
        : QMessageBox(origin ? origin->window() : nullptr)
        , m_origin(origin)
    {
        if (!origin)
            return;
        takeColours();
        origin->installEventFilter(this);
    }

    // The frame goes with a change of modality, which sets the kind of window anew.
    void setModality(Qt::WindowModality modality)
    {
        setWindowModality(modality);
        setWindowFlag(Qt::FramelessWindowHint);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_origin && event->type() == QEvent::PaletteChange)
            takeColours();
        return QMessageBox::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QMessageBox::paintEvent(event);
        QColor edge = palette().color(QPalette::WindowText);
        edge.setAlphaF(frameOpacity);
        QPainter painter(this);
        painter.setPen(edge);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

private:
    void takeColours()
    {
        // Every colour, also those the origin only inherits: a window inherits none.
        QPalette colours = m_origin->palette();
        colours.setResolveMask(~QPalette::ResolveMask{0});
        setPalette(colours);
    }

    const QPointer<QWidget> m_origin;
};

} // namespace

int runModalAlert(QWidget* origin, const QString& message, const QString& informativeText,
                  const QStringList& buttons)
{
    // Not on the stack: should the window go while the alert runs, it takes its alert along.
    QPointer<AlertSheet> alert = new AlertSheet(origin);
    alert->setWindowTitle(QGuiApplication::applicationDisplayName());
    alert->setIcon(QMessageBox::NoIcon);
    alert->setText(message);
    alert->setInformativeText(informativeText);
    QList<QAbstractButton*> answers;
    for (const QString& title :
         buttons.isEmpty() ? QStringList{localizedString(QStringLiteral("ok"))} : buttons)
        answers.append(alert->addButton(title, QMessageBox::AcceptRole));
    alert->setDefaultButton(static_cast<QPushButton*>(answers.first()));
    alert->setEscapeButton(answers.first());
    alert->setModality(alert->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    alert->exec();
    if (!alert)
        return 0;
    const std::unique_ptr<QMessageBox> answered(alert.data());
    return std::max(0, int(answers.indexOf(answered->clickedButton())));
}

} // namespace GlobalShortcuts
