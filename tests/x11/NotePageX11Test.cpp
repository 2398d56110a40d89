#include "RunningQuillory.h"
#include "XTestClient.h"

#include "platform/UserDefaults.h"
#include "support/Contrast.h"

#include <QColor>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtMath>

#include <gtest/gtest.h>

namespace {

// The rename field's ring in the light appearance, and how many of its pixels show the field
// is on screen: about one side of the narrowest field.
const QColor renameRing(0x4B, 0x7D, 0xF0);
constexpr int ringTolerance = 24;
constexpr int ringPixels = 40;
// Where the field appears on the header row, from the note body's top-left corner.
const QRect renameFieldArea(16, 8, 160, 30);

// The note page driven the way a person would: keys and clicks through XTest (xdotool). The
// saved notes document is what the checks read; every step waits for the save that follows it.
class NotePageRoad : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_quillory.isHomeValid());
        ASSERT_TRUE(m_quillory.start());
    }

    static void type(const QString& text)
    {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
    }
    static void key(const QString& keys) { xdotool({QStringLiteral("key"), keys}); }

    bool savedTexts(const QStringList& texts) const
    {
        return waitFor([&] { return m_quillory.savedTexts() == texts; });
    }

    // The position of the saved current note, -1 when there is none.
    int savedCurrentIndex() const
    {
        QFile file(m_quillory.notesFile());
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
        const QJsonArray notes = document.value(QStringLiteral("notes")).toArray();
        const QString current = document.value(QStringLiteral("currentNoteID")).toString();
        for (qsizetype index = 0; index < notes.size(); ++index) {
            if (notes[index][QStringLiteral("id")].toString() == current)
                return int(index);
        }
        return -1;
    }
    bool savedCurrent(int index) const
    {
        return waitFor([&] { return savedCurrentIndex() == index; });
    }

    std::string texts() const { return m_quillory.savedTexts().join(u'|').toStdString(); }

    // A field of every saved note, in order.
    QStringList savedField(const QString& field) const
    {
        QFile file(m_quillory.notesFile());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList values;
        const QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
        for (const QJsonValue& note : document.value(QStringLiteral("notes")).toArray())
            values.append(note[field].toString());
        return values;
    }
    // The settings reach their file at most once per coalescing interval: a change made right
    // after a write waits for the end of the interval, then for the disk.
    bool savedPanelSizeBecomes(QSizeF size) const
    {
        constexpr int settingsWriteTimeoutMs =
            RunningQuillory::stepTimeoutMs +
            int(std::chrono::milliseconds(UserDefaults::coalescingInterval).count());
        return waitFor([&] { return savedPanelSize() == size; }, settingsWriteTimeoutMs);
    }
    QSizeF savedPanelSize() const
    {
        QFile file(m_quillory.configFolder() + QStringLiteral("/Quillory/settings.json"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        // Each value is stored with its type.
        const QJsonObject settings = QJsonDocument::fromJson(file.readAll()).object();
        auto dimension = [&settings](const QString& key) {
            return settings.value(key)[QStringLiteral("double")].toDouble();
        };
        return {dimension(QStringLiteral("quillory.popoverWidth")),
                dimension(QStringLiteral("quillory.popoverHeight"))};
    }
    // A point of the note body, from its top-left corner, on screen.
    QPoint body(int x, int y) const
    {
        return m_quillory.panelGeometry().topLeft() + QPoint(40 + x, 24 + 9 + y);
    }
    void click(QPoint point, int count = 1) { m_pointer.click(point.x(), point.y(), count); }

    // The field takes the keyboard in the turn after it shows, before the program paints it:
    // once its ring is on screen, typing goes to it.
    bool renameFieldShown()
    {
        const QImage header = m_pointer.grab(renameFieldArea.translated(body(0, 0)));
        int ring = 0;
        for (int y = 0; y < header.height(); ++y) {
            for (int x = 0; x < header.width(); ++x)
                ring += isNear(header.pixelColor(x, y), renameRing, ringTolerance);
        }
        return ring >= ringPixels;
    }

    XTestClient m_pointer;

    RunningQuillory m_quillory{QStringLiteral(QUILLORY_BINARY)};
};

TEST_F(NotePageRoad, TypePageMakeDeleteUndoAndCloseKeepsEveryNotesTextExactly)
{
    // The first launch opens the panel by itself, ready for typing.
    ASSERT_TRUE(waitFor([this] { return m_quillory.panelOpen(); }, RunningQuillory::startTimeoutMs))
        << m_quillory.windowState();
    type(QStringLiteral("first"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first")})) << texts();

    key(QStringLiteral("ctrl+n"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first"), QString()}));
    ASSERT_TRUE(savedCurrent(1));
    type(QStringLiteral("second"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first"), QStringLiteral("second")}));

    // Back to the first note: the caret lands after its last character.
    key(QStringLiteral("alt+Left"));
    ASSERT_TRUE(savedCurrent(0));
    type(QStringLiteral(" more"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second")})) << texts();

    key(QStringLiteral("alt+Right"));
    ASSERT_TRUE(savedCurrent(1));
    // Ctrl+Backspace takes a word, as in any text field; with Shift it takes the note.
    type(QStringLiteral(" extra"));
    key(QStringLiteral("ctrl+BackSpace"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second ")})) << texts();
    key(QStringLiteral("BackSpace"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second")})) << texts();
    key(QStringLiteral("ctrl+shift+BackSpace"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more")}));
    key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second")}));
    ASSERT_TRUE(savedCurrent(1));
    type(QStringLiteral("!"));
    ASSERT_TRUE(savedTexts({QStringLiteral("first more"), QStringLiteral("second!")})) << texts();

    // A click outside the panel closes it.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("40"), QStringLiteral("700"),
             QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(waitFor([this] { return m_quillory.panelClosed(); })) << m_quillory.windowState();
    ASSERT_TRUE(m_quillory.terminate());

    EXPECT_EQ(m_quillory.savedTexts(),
              (QStringList{QStringLiteral("first more"), QStringLiteral("second!")}));
    EXPECT_EQ(savedCurrentIndex(), 1);
}

TEST_F(NotePageRoad, RenameRecolourListJumpBulkDeleteUndoAndResize)
{
    ASSERT_TRUE(waitFor([this] { return m_quillory.panelOpen(); }, RunningQuillory::startTimeoutMs))
        << m_quillory.windowState();
    type(QStringLiteral("first"));
    key(QStringLiteral("ctrl+n"));
    type(QStringLiteral("second"));
    key(QStringLiteral("ctrl+n"));
    type(QStringLiteral("third"));
    ASSERT_TRUE(
        savedTexts({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}))
        << texts();

    // Header row: rename button (13), then the name, then the colour dot, 5 apart, 13 down.
    const int nameX = 16 + 13 + 5;
    click(body(nameX + 4, 23), 2);
    ASSERT_TRUE(waitFor([this] { return renameFieldShown(); }))
        << "the rename field; " << m_quillory.windowState();
    type(QStringLiteral("Plan"));
    key(QStringLiteral("Return"));
    ASSERT_TRUE(waitFor([this] {
        return savedField(QStringLiteral("name")).value(2) == QStringLiteral("Plan");
    })) << savedField(QStringLiteral("name")).join(u'|').toStdString();

    QFont nameFont;
    nameFont.setPixelSize(12);
    nameFont.setWeight(QFont::DemiBold);
    nameFont.setLetterSpacing(QFont::AbsoluteSpacing, -0.1);
    const int dotX =
        nameX + qCeil(QFontMetricsF(nameFont).horizontalAdvance(QStringLiteral("Plan"))) + 1 + 5;
    click(body(dotX + 4, 23));
    // The picker hangs at (34, 37): dots of 18, 7 apart, after 8 of padding; mint is third.
    click(body(34 + 8 + 2 * 25 + 9, 37 + 6 + 9));
    ASSERT_TRUE(waitFor([this] {
        return savedField(QStringLiteral("hue")).value(2) == QStringLiteral("mint");
    })) << savedField(QStringLiteral("hue")).join(u'|').toStdString();

    // The list hangs at (16, 37), 28 to a row, the bar under the three rows.
    const int cardRight = 16 + 280 - 32;
    const int barY = 37 + 3 * 28 + 1 + 13;
    key(QStringLiteral("alt+Down"));
    click(body(60, 37 + 14));
    ASSERT_TRUE(savedCurrent(0));
    key(QStringLiteral("alt+Down"));
    click(body(cardRight - 20, barY)); // Select
    click(body(60, 37 + 14 + 28));
    click(body(60, 37 + 14 + 56));
    click(body(cardRight - 20, barY)); // Delete 2
    ASSERT_TRUE(savedTexts({QStringLiteral("first")})) << texts();
    key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(
        savedTexts({QStringLiteral("first"), QStringLiteral("second"), QStringLiteral("third")}))
        << texts();
    key(QStringLiteral("Escape")); // closes the list only
    ASSERT_TRUE(m_quillory.panelOpen());

    // The bottom-right handle straddles the body's corner; a drag writes the size at its end.
    // The panel hangs at the screen's right edge, so the drag goes left (narrower) and down;
    // the screen holds the right side, so the width follows the pointer's move alone.
    // Pressed inside the body: without a compositor the window ends at the outline.
    const QPoint corner = body(280 - 10, 217 - 10);
    m_pointer.movePointer(corner.x(), corner.y());
    m_pointer.pressButton();
    m_pointer.movePointer(corner.x() - 10, corner.y() + 8);
    m_pointer.movePointer(corner.x() - 20, corner.y() + 30);
    ASSERT_TRUE(waitFor([this] { return m_quillory.panelGeometry().size() == QSize(340, 328); }))
        << m_quillory.windowState();
    EXPECT_NE(savedPanelSize(), QSizeF(260, 247)); // not before the release
    m_pointer.releaseButton();
    ASSERT_TRUE(savedPanelSizeBecomes(QSizeF(260, 247)))
        << savedPanelSize().width() << "x" << savedPanelSize().height();
    ASSERT_TRUE(m_quillory.panelOpen()) << m_quillory.windowState();

    // The default size shows at once (after a short glide), and reaches the settings later.
    click(body(260 - 10, 247 - 10), 2);
    ASSERT_TRUE(waitFor([this] { return m_quillory.panelGeometry().size() == QSize(360, 298); }))
        << m_quillory.windowState();
    ASSERT_TRUE(savedPanelSizeBecomes(QSizeF(280, 217)))
        << savedPanelSize().width() << "x" << savedPanelSize().height()
        << m_quillory.errorOutput().toStdString();
    ASSERT_TRUE(m_quillory.panelOpen());
    ASSERT_TRUE(m_quillory.terminate()) << m_quillory.errorOutput().toStdString();
}

} // namespace
