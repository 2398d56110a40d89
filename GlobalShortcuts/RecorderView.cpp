#include "GlobalShortcuts/RecorderView.h"

#include "platform/MainThread.h"

#include <QEvent>
#include <QLabel>
#include <QStyle>

namespace GlobalShortcuts {

namespace {

QLabel* titleLabel(const QString& title)
{
    auto* label = new QLabel(title);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Where a widget's first line of text has its baseline when the widget is as tall as it asks:
// a line of its font at the top of its contents, below a label's margin.
int firstBaseline(const QWidget& widget)
{
    const auto* label = qobject_cast<const QLabel*>(&widget);
    return widget.contentsRect().top() + (label ? label->margin() : 0) +
           widget.fontMetrics().ascent();
}

// The room a form leaves between a label and its field.
int labelSpacing(const QWidget& widget)
{
    const QStyle* style = widget.style();
    const int spacing = style->layoutSpacing(QSizePolicy::Label, QSizePolicy::LineEdit,
                                             Qt::Horizontal, nullptr, &widget);
    // A style without spacings by kind of control has one for every two neighbours.
    return spacing >= 0 ? spacing
                        : style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing, nullptr, &widget);
}

} // namespace

RecorderView::RecorderView(const Name& name, OnChange onChange, QWidget* parent)
    : RecorderView(static_cast<QWidget*>(nullptr), name, std::move(onChange), parent)
{}

RecorderView::RecorderView(const char* title, const Name& name, OnChange onChange, QWidget* parent)
    : RecorderView(titleLabel(tr(title)), name, std::move(onChange), parent)
{}

RecorderView::RecorderView(const QString& title, const Name& name, OnChange onChange,
                           QWidget* parent)
    : RecorderView(titleLabel(title), name, std::move(onChange), parent)
{}

RecorderView::RecorderView(QWidget* label, const Name& name, OnChange onChange, QWidget* parent)
    : QWidget(parent)
    , m_label(label)
    , m_recorder(new Recorder(name, std::move(onChange), this))
{
    QUILLORY_ASSERT_MAIN_THREAD();
    if (m_label)
        m_label->setParent(this);
    setSizePolicy(m_recorder->sizePolicy());
    layOut();
}

RecorderView::~RecorderView()
{
    // Out of the column before it goes, so that the labels beside it close up.
    const bool wasInColumn = hasLabel();
    m_label = nullptr;
    if (wasInColumn)
        layOutAgain(labelColumn());
}

QList<RecorderView*> RecorderView::labelColumn() const
{
    QList<RecorderView*> column;
    const QWidget* parent = parentWidget();
    const QList<RecorderView*> views =
        parent ? parent->findChildren<RecorderView*>(Qt::FindDirectChildrenOnly)
               : QList{const_cast<RecorderView*>(this)};
    for (RecorderView* view : views) {
        if (view->hasLabel() && (!parent || view->isVisibleTo(parent)))
            column.append(view);
    }
    return column;
}

int RecorderView::labelColumnWidth() const
{
    int widest = 0;
    for (const RecorderView* view : labelColumn())
        widest = std::max(widest, view->m_label->sizeHint().width());
    return widest;
}

RecorderView::Placement RecorderView::placement() const
{
    const QSize fieldSize = m_recorder->sizeHint();
    if (!m_label)
        return {{}, QRect(QPoint(), fieldSize)};
    const QSize labelSize = m_label->sizeHint();
    const int column = labelColumnWidth();
    const auto labelAlignment =
        Qt::Alignment(style()->styleHint(QStyle::SH_FormLayoutLabelAlignment, nullptr, this));
    const int labelLeft = labelAlignment & Qt::AlignRight ? column - labelSize.width() : 0;
    const int labelBaseline = firstBaseline(*m_label);
    const int fieldBaseline = m_recorder->textBaseline();
    const int baseline = std::max(labelBaseline, fieldBaseline);
    return {QRect(QPoint(labelLeft, baseline - labelBaseline), labelSize),
            QRect(QPoint(column + labelSpacing(*this), baseline - fieldBaseline), fieldSize)};
}

QSize RecorderView::sizeHint() const
{
    const Placement natural = placement();
    return {natural.field.right() + 1,
            std::max(natural.label.bottom(), natural.field.bottom()) + 1};
}

void RecorderView::layOut()
{
    Placement placed = placement();
    // The field takes whatever width the view is given beyond the label.
    placed.field.setRight(width() - 1);
    if (m_label)
        m_label->setGeometry(placed.label);
    m_recorder->setGeometry(placed.field);
}

void RecorderView::alignLabelColumn()
{
    layOutAgain(hasLabel() ? labelColumn() : QList{this});
}

void RecorderView::layOutAgain(const QList<RecorderView*>& views)
{
    for (RecorderView* view : views) {
        view->updateGeometry();
        view->layOut();
    }
}

bool RecorderView::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
    // The label or the field asks for another size.
    case QEvent::LayoutRequest:
        alignLabelColumn();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void RecorderView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

} // namespace GlobalShortcuts
