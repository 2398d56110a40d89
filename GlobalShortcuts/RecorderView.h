#pragma once

#include "GlobalShortcuts/Recorder.h"

#include <QWidget>

namespace GlobalShortcuts {

// The shortcut recorder of one name as a settings page places it: the field alone, or the
// field with a label at its left whose text sits on the field's baseline. The labelled views
// side by side in one parent give their labels one column, as wide as the widest, so that
// their fields line up whatever the lengths of the labels. Main thread only.
class RecorderView : public QWidget
{
    Q_OBJECT

public:
    using OnChange = Recorder::OnChange;

    // The field alone.
    explicit RecorderView(const Name& name, OnChange onChange = {}, QWidget* parent = nullptr);
    // Titled with the application's translation of `title` in this class's context, or with
    // `title` itself when there is none.
    RecorderView(const char* title, const Name& name, OnChange onChange = {},
                 QWidget* parent = nullptr);
    // Titled with `title` just as it is.
    RecorderView(const QString& title, const Name& name, OnChange onChange = {},
                 QWidget* parent = nullptr);
    // Labelled with a widget of the caller's, which the view takes over.
    RecorderView(QWidget* label, const Name& name, OnChange onChange = {},
                 QWidget* parent = nullptr);
    ~RecorderView() override;

    const Name& name() const { return m_recorder->shortcutName(); }
    // The same field shows and records the other name's shortcut from now on; it keeps
    // calling the onChange it was made with.
    void setName(const Name& name) { m_recorder->setShortcutName(name); }
    bool hasLabel() const { return m_label != nullptr; }
    // Null when the view has none.
    QWidget* label() const { return m_label; }
    Recorder* recorder() const { return m_recorder; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Placement
    {
        QRect label;
        QRect field;
    };

    // The label and the field at their own sizes, on one baseline.
    Placement placement() const;
    // The labelled views beside this one that are shown with their parent, this one included.
    QList<RecorderView*> labelColumn() const;
    int labelColumnWidth() const;
    // Lays out again every view whose place depends on this one's.
    void alignLabelColumn();
    static void layOutAgain(const QList<RecorderView*>& views);
    void layOut();

    QWidget* m_label;
    Recorder* m_recorder;
};

} // namespace GlobalShortcuts
