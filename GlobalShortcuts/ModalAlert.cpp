#include "GlobalShortcuts/ModalAlert.h"

#include "GlobalShortcuts/ModuleStrings.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPalette>
#include <QPointer>
#include <QPushButton>

#include <memory>

namespace GlobalShortcuts {

int runModalAlert(QWidget* origin, const QString& message, const QString& informativeText,
                  const QStringList& buttons)
{
    QWidget* window = origin ? origin->window() : nullptr;
    // Not on the stack: should the window go while the alert runs, it takes its alert along.
    QPointer alert = new QMessageBox(window);
    if (origin) {
        // Every colour, also those the origin only inherits: a window inherits none.
        QPalette colours = origin->palette();
        colours.setResolveMask(~QPalette::ResolveMask{0});
        alert->setPalette(colours);
    }
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
    alert->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    alert->exec();
    if (!alert)
        return 0;
    const std::unique_ptr<QMessageBox> answered(alert.data());
    return std::max(0, int(answers.indexOf(answered->clickedButton())));
}

} // namespace GlobalShortcuts
