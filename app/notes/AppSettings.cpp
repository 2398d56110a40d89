#include "AppSettings.h"

#include "platform/MainThread.h"
#include "platform/UserDefaults.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

const QString deleteAfterKey = QStringLiteral("quillory.deleteAfter");
const QString textSizeKey = QStringLiteral("quillory.textSize");
const QString newNoteColorKey = QStringLiteral("quillory.newNoteColor");
const QString newNotePastesClipboardKey = QStringLiteral("quillory.newNotePastesClipboard");
const QString pasteAsPlainTextKey = QStringLiteral("quillory.pasteAsPlainText");
const QString copyNoteOnCloseKey = QStringLiteral("quillory.copyNoteOnClose");
const QString updateAutomaticallyKey = QStringLiteral("quillory.updateAutomatically");
const QString sendErrorReportsKey = QStringLiteral("quillory.sendErrorReports");
const QString popoverWidthKey = QStringLiteral("quillory.popoverWidth");
const QString popoverHeightKey = QStringLiteral("quillory.popoverHeight");

constexpr int smallestTextSize = 10;
constexpr int largestTextSize = 24;

// The settings' first step, so checked here before anything is registered.
UserDefaults& registered(UserDefaults& defaults)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    defaults.registerDefaults({
        {deleteAfterKey, DeleteAfterPeriods::rawValue(DeleteAfter::never)},
        {textSizeKey, AppSettings::defaultTextSize},
        {newNoteColorKey, NewNoteColor::rotate().rawValue()},
        {newNotePastesClipboardKey, false},
        {pasteAsPlainTextKey, true},
        {copyNoteOnCloseKey, false},
        {updateAutomaticallyKey, true},
        {sendErrorReportsKey, true},
        {popoverWidthKey, AppSettings::defaultPopoverSize.width()},
        {popoverHeightKey, AppSettings::defaultPopoverSize.height()},
    });
    return defaults;
}

int readTextSize(const UserDefaults& defaults)
{
    const qint64 stored = defaults.integer(textSizeKey);
    const auto& sizes = AppSettings::textSizes();
    return std::find(sizes.begin(), sizes.end(), stored) != sizes.end()
               ? int(stored)
               : AppSettings::defaultTextSize;
}

// A stored dimension pulled into its range; one that is not a finite number reads as the
// default, since a clamp would let NaN through.
double readDimension(const UserDefaults& defaults, const QString& key, double fallback,
                     double lower, double upper)
{
    const double stored = defaults.doubleValue(key);
    if (!std::isfinite(stored))
        return fallback;
    return std::min(std::max(stored, lower), upper);
}

QVariant storedForm(DeleteAfter period)
{
    return DeleteAfterPeriods::rawValue(period);
}
QVariant storedForm(NewNoteColor color)
{
    return color.rawValue();
}
QVariant storedForm(int value)
{
    return value;
}
QVariant storedForm(bool value)
{
    return value;
}

} // namespace

const std::vector<int>& AppSettings::textSizes()
{
    static const std::vector<int> sizes = [] {
        std::vector<int> all(largestTextSize - smallestTextSize + 1);
        std::iota(all.begin(), all.end(), smallestTextSize);
        return all;
    }();
    return sizes;
}

AppSettings::AppSettings(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(registered(defaults))
    , m_deleteAfter(DeleteAfterPeriods::fromRawValue(defaults.string(deleteAfterKey))
                        .value_or(DeleteAfter::never))
    , m_textSize(readTextSize(defaults))
    , m_newNoteColor(NewNoteColor::fromRawValue(defaults.string(newNoteColorKey)))
    , m_newNotePastesClipboard(defaults.boolValue(newNotePastesClipboardKey))
    , m_pasteAsPlainText(defaults.boolValue(pasteAsPlainTextKey))
    , m_copyNoteOnClose(defaults.boolValue(copyNoteOnCloseKey))
    , m_updateAutomatically(defaults.boolValue(updateAutomaticallyKey))
    , m_sendErrorReports(defaults.boolValue(sendErrorReportsKey))
    , m_popoverSize(readDimension(defaults, popoverWidthKey, defaultPopoverSize.width(),
                                  minimumPopoverWidth, maximumPopoverWidth),
                    readDimension(defaults, popoverHeightKey, defaultPopoverSize.height(),
                                  minimumPopoverHeight, maximumPopoverHeight))
{}

template <typename Value, typename Signal>
void AppSettings::assign(Value& field, const Value& value, Signal changed)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    field = value;
    // Every set is told, the same value again too: choosing the current delete-after period
    // once more purges what has expired since.
    Q_EMIT(this->*changed)(value);
}

void AppSettings::setDeleteAfter(DeleteAfter period)
{
    assign(m_deleteAfter, period, &AppSettings::deleteAfterChanged);
    m_defaults.set(deleteAfterKey, storedForm(period));
}

void AppSettings::setTextSize(int points)
{
    assign(m_textSize, points, &AppSettings::textSizeChanged);
    m_defaults.set(textSizeKey, storedForm(points));
}

void AppSettings::setNewNoteColor(NewNoteColor color)
{
    assign(m_newNoteColor, color, &AppSettings::newNoteColorChanged);
    m_defaults.set(newNoteColorKey, storedForm(color));
}

void AppSettings::setNewNotePastesClipboard(bool on)
{
    assign(m_newNotePastesClipboard, on, &AppSettings::newNotePastesClipboardChanged);
    m_defaults.set(newNotePastesClipboardKey, storedForm(on));
}

void AppSettings::setPasteAsPlainText(bool on)
{
    assign(m_pasteAsPlainText, on, &AppSettings::pasteAsPlainTextChanged);
    m_defaults.set(pasteAsPlainTextKey, storedForm(on));
}

void AppSettings::setCopyNoteOnClose(bool on)
{
    assign(m_copyNoteOnClose, on, &AppSettings::copyNoteOnCloseChanged);
    m_defaults.set(copyNoteOnCloseKey, storedForm(on));
}

void AppSettings::setUpdateAutomatically(bool on)
{
    assign(m_updateAutomatically, on, &AppSettings::updateAutomaticallyChanged);
    m_defaults.set(updateAutomaticallyKey, storedForm(on));
}

void AppSettings::setSendErrorReports(bool on)
{
    assign(m_sendErrorReports, on, &AppSettings::sendErrorReportsChanged);
    m_defaults.set(sendErrorReportsKey, storedForm(on));
}

void AppSettings::setPopoverSize(QSizeF size)
{
    assign(m_popoverSize, size, &AppSettings::popoverSizeChanged);
    m_defaults.set(popoverWidthKey, size.width());
    m_defaults.set(popoverHeightKey, size.height());
}

void AppSettings::stepTextSize(int step)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const int target = m_textSize + step;
    const auto& sizes = textSizes();
    if (std::find(sizes.begin(), sizes.end(), target) != sizes.end())
        setTextSize(target);
}
