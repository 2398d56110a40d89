#include "ShortcutFixture.h"

#include "GlobalShortcuts/RecorderView.h"
#include "support/Ink.h"

#include <QApplication>
#include <QLabel>
#include <QTranslator>
#include <QVBoxLayout>

using namespace GlobalShortcuts;

namespace {

using Changes = QList<std::optional<Shortcut>>;

// The application's translation of the title "Hide".
class Translation : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        const bool known = qstrcmp(context, "GlobalShortcuts::RecorderView") == 0 &&
                           qstrcmp(sourceText, "Hide") == 0;
        return known ? QStringLiteral("Verbergen") : QString();
    }
};

using RecorderViewTest = ShortcutFixture;

TEST_F(RecorderViewTest, EachFormShowsItsLabelAndKeepsOneFieldThroughARename)
{
    Translation translation;
    QCoreApplication::installTranslator(&translation);
    const Name name(QStringLiteral("shown"), optionCommand(Key::n));
    const Name other(QStringLiteral("other"), optionCommand(Key::m));
    Changes changes;
    const RecorderView::OnChange tell = [&changes](const std::optional<Shortcut>& shortcut) {
        changes.append(shortcut);
    };
    auto* own = new QLabel(QStringLiteral("Own"));
    const struct
    {
        const char* form;
        std::function<RecorderView*()> make;
        const char* label; // none for the field alone
    } forms[] = {
        {"bare", [&] { return new RecorderView(name, tell); }, nullptr},
        {"translated title", [&] { return new RecorderView("Hide", name, tell); }, "Verbergen"},
        {"verbatim title", [&] { return new RecorderView(QStringLiteral("Hide"), name, tell); },
         "Hide"},
        {"widget of the caller's", [&] { return new RecorderView(own, name, tell); }, "Own"},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.form);
        const std::unique_ptr<RecorderView> view(form.make());
        const auto* label = qobject_cast<const QLabel*>(view->label());
        EXPECT_EQ(view->hasLabel(), form.label != nullptr);
        EXPECT_EQ(label ? label->text() : QString(), QString::fromUtf8(form.label));
        // Alone, the field takes no more room than its own.
        EXPECT_EQ(view->sizeHint() == view->recorder()->sizeHint(), !view->hasLabel());

        Recorder* field = view->recorder();
        view->setName(other);
        EXPECT_EQ(view->recorder(), field);
        EXPECT_EQ(field->text(), QStringLiteral("Ctrl+Alt+M"));
        changes.clear();
        field->clearAction()->trigger();
        EXPECT_EQ(getShortcut(other), std::nullopt);
        EXPECT_EQ(getShortcut(name), optionCommand(Key::n));
        EXPECT_EQ(changes, Changes{std::nullopt});
        setShortcut(optionCommand(Key::m), other);
    }
}

TEST_F(RecorderViewTest, LabelledViewsInAColumnLineUpTheirFieldsOnTheirLabelsBaselines)
{
    const Name unset(QStringLiteral("unset"));
    auto* large = new QLabel(QStringLiteral("New"));
    QFont largeFont = large->font();
    largeFont.setPointSizeF(2 * largeFont.pointSizeF());
    large->setFont(largeFont);
    // Texts without descenders, the field's prompt among them, end at their baseline.
    RecorderView* views[] = {new RecorderView(QStringLiteral("Hide"), unset),
                             new RecorderView(QStringLiteral("Show all notes"), unset),
                             new RecorderView(large, unset)};
    QWidget column;
    auto* rows = new QVBoxLayout(&column);
    for (RecorderView* view : views)
        rows->addWidget(view, 0, Qt::AlignLeft);
    column.show();
    QApplication::processEvents();

    // Within the field's frame.
    constexpr QMargins frame(3, 3, 3, 3);
    auto inColumn = [&column](const QWidget* widget, const QRect& rect) {
        return rect.translated(widget->mapTo(&column, QPoint()));
    };
    auto leftOfFirstField = [&] { return views[0]->recorder()->mapTo(&column, QPoint()).x(); };
    const QImage picture = column.grab().toImage();
    const int fieldLeft = leftOfFirstField();
    for (const RecorderView* view : views) {
        const Recorder* field = view->recorder();
        SCOPED_TRACE(qobject_cast<const QLabel*>(view->label())->text().toStdString());
        EXPECT_EQ(field->mapTo(&column, QPoint()).x(), fieldLeft);
        const QRect labelInk = inkBounds(picture, inColumn(view->label(), view->label()->rect()));
        const QRect fieldInk = inkBounds(picture, inColumn(field, field->rect() - frame));
        EXPECT_LE(labelInk.right(), fieldLeft);
        EXPECT_NEAR(labelInk.bottom(), fieldInk.bottom(), 1);
    }

    // A view hidden or gone leaves the column, which narrows to the labels still shown.
    views[1]->hide();
    const int narrowerLeft = leftOfFirstField();
    EXPECT_LT(narrowerLeft, fieldLeft);
    delete views[2];
    EXPECT_LT(leftOfFirstField(), narrowerLeft);
}

} // namespace
