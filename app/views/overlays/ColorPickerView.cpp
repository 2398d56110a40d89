#include "ColorPickerView.h"

#include "app/notes/NoteStore.h"
#include "app/shell/PopoverController.h"
#include "app/views/overlays/ColorPickerDot.h"
#include "platform/MainThread.h"

#include <QHBoxLayout>

namespace {

const PopupCard::Style pillStyle{15, {8, {0, 6}}, {1.5, {0, 1}}};

} // namespace

QSize ColorPickerView::pillSize()
{
    const int dots = int(Hues::allCases.size());
    return {dots * ColorPickerDot::diameter + (dots - 1) * dotSpacing + padding.left() +
                padding.right(),
            ColorPickerDot::diameter + padding.top() + padding.bottom()};
}

ColorPickerView::ColorPickerView(PopoverController& controller, NoteStore& store,
                                 const Appearance& appearance, QWidget* parent)
    : PopupCard(pillStyle, appearance, parent)
    , m_store(store)
{
    setAccessibleName(QStringLiteral("Note color"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(shadowMargins() + padding);
    row->setSpacing(dotSpacing);
    for (const Hue hue : Hues::allCases) {
        auto* dot = new ColorPickerDot(hue, appearance, this);
        row->addWidget(dot, 0, Qt::AlignVCenter);
        m_dots.push_back(dot);
        connect(dot, &QAbstractButton::clicked, &controller, [&controller, hue] {
            QUILLORY_ASSERT_MAIN_THREAD();
            controller.pickHue(hue);
        });
    }
    resize(pillSize().grownBy(shadowMargins()));
    connect(&store, &NoteStore::notesChanged, this, &ColorPickerView::showCurrentHue);
    connect(&store, &NoteStore::currentIndexChanged, this, &ColorPickerView::showCurrentHue);
    showCurrentHue();
}

void ColorPickerView::showCurrentHue()
{
    const Hue current = m_store.currentNote().hue;
    for (ColorPickerDot* dot : m_dots)
        dot->setCurrent(dot->hue() == current);
}
