#include "RunningQuillory.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

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
    key(QStringLiteral("ctrl+BackSpace"));
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
    ASSERT_TRUE(m_quillory.terminate()) << m_quillory.errorOutput().toStdString();

    EXPECT_EQ(m_quillory.savedTexts(),
              (QStringList{QStringLiteral("first more"), QStringLiteral("second!")}));
    EXPECT_EQ(savedCurrentIndex(), 1);
}

} // namespace
