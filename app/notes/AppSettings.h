#pragma once

#include "app/notes/DeleteAfter.h"
#include "app/notes/Hue.h"

#include <QObject>
#include <QSizeF>

#include <vector>

class UserDefaults;

// The application's settings over the user-defaults store. Every key has a registered default;
// values are validated once, when read at creation. Each setter signals its observers, also
// when the value is the one it had, writes its key at once and does not validate (callers keep
// values in range).
class AppSettings : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultTextSize = 14;
    static constexpr QSizeF defaultPopoverSize{280.0, 217.0};
    static constexpr double minimumPopoverWidth = 240.0;
    static constexpr double maximumPopoverWidth = 520.0;
    static constexpr double minimumPopoverHeight = 180.0;
    static constexpr double maximumPopoverHeight = 640.0;

    // The text sizes offered, 10 to 24 points.
    static const std::vector<int>& textSizes();

    explicit AppSettings(UserDefaults& defaults, QObject* parent = nullptr);

    UserDefaults& defaults() const { return m_defaults; }

    DeleteAfter deleteAfter() const { return m_deleteAfter; }
    int textSize() const { return m_textSize; }
    NewNoteColor newNoteColor() const { return m_newNoteColor; }
    bool newNotePastesClipboard() const { return m_newNotePastesClipboard; }
    bool pasteAsPlainText() const { return m_pasteAsPlainText; }
    bool copyNoteOnClose() const { return m_copyNoteOnClose; }
    bool updateAutomatically() const { return m_updateAutomatically; }
    bool sendErrorReports() const { return m_sendErrorReports; }
    QSizeF popoverSize() const { return m_popoverSize; }

    void setDeleteAfter(DeleteAfter period);
    void setTextSize(int points);
    void setNewNoteColor(NewNoteColor color);
    void setNewNotePastesClipboard(bool on);
    void setPasteAsPlainText(bool on);
    void setCopyNoteOnClose(bool on);
    void setUpdateAutomatically(bool on);
    void setSendErrorReports(bool on);
    void setPopoverSize(QSizeF size);

    // Changes the text size by `step` only when the result is one of textSizes().
    void stepTextSize(int step);

Q_SIGNALS:
    void deleteAfterChanged(DeleteAfter period);
    void textSizeChanged(int points);
    void newNoteColorChanged(NewNoteColor color);
    void newNotePastesClipboardChanged(bool on);
    void pasteAsPlainTextChanged(bool on);
    void copyNoteOnCloseChanged(bool on);
    void updateAutomaticallyChanged(bool on);
    void sendErrorReportsChanged(bool on);
    void popoverSizeChanged(QSizeF size);

private:
    template <typename Value, typename Signal>
    void assign(Value& field, const Value& value, Signal changed);

    UserDefaults& m_defaults;
    DeleteAfter m_deleteAfter;
    int m_textSize;
    NewNoteColor m_newNoteColor;
    bool m_newNotePastesClipboard;
    bool m_pasteAsPlainText;
    bool m_copyNoteOnClose;
    bool m_updateAutomatically;
    bool m_sendErrorReports;
    QSizeF m_popoverSize;
};
