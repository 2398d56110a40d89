#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Reports a navigation to its path each time the widget it belongs to appears; its leaving
// is not reported.
class TrackNavigationModifier : public QObject
{
    Q_OBJECT

public:
    // A child of the widget, so that it goes with it.
    TrackNavigationModifier(const QString& path, QWidget* widget);

    QString path() const { return m_path; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QString m_path;
};

// The widget, each of whose appearances now reports a navigation from the previous path to
// `path`.
template <typename Widget> Widget* trackNavigation(Widget* widget, const QString& path)
{
    new TrackNavigationModifier(path, widget);
    return widget;
}
