#include "DesktopKeyBindings.h"

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace DesktopKeyBindings {

namespace {

constexpr int toolTimeoutMs = 2000;

const std::array schemas{
    QStringLiteral("org.gnome.desktop.wm.keybindings"),
    QStringLiteral("org.gnome.shell.keybindings"),
    QStringLiteral("org.gnome.mutter.keybindings"),
    QStringLiteral("org.gnome.mutter.wayland.keybindings"),
    QStringLiteral("org.gnome.settings-daemon.plugins.media-keys"),
};

struct ModifierName
{
    QLatin1StringView name;
    quint32 mask;
};

constexpr quint32 shiftMask = 0x01;
constexpr quint32 controlMask = 0x04;
constexpr quint32 mod1Mask = 0x08; // Alt
constexpr quint32 mod4Mask = 0x40; // Super

constexpr std::array modifierNames{
    ModifierName{QLatin1StringView("primary"), controlMask},
    ModifierName{QLatin1StringView("control"), controlMask},
    ModifierName{QLatin1StringView("ctrl"), controlMask},
    ModifierName{QLatin1StringView("ctl"), controlMask},
    ModifierName{QLatin1StringView("alt"), mod1Mask},
    ModifierName{QLatin1StringView("mod1"), mod1Mask},
    ModifierName{QLatin1StringView("super"), mod4Mask},
    ModifierName{QLatin1StringView("mod4"), mod4Mask},
    ModifierName{QLatin1StringView("shift"), shiftMask},
};

bool isGnome()
{
    const QList<QByteArray> desktops = qgetenv("XDG_CURRENT_DESKTOP").split(':');
    return desktops.contains("GNOME");
}

} // namespace

std::optional<KeyBinding> parseAccelerator(QStringView accelerator)
{
    quint32 modifiers = 0;
    QStringView rest = accelerator.trimmed();
    while (rest.startsWith(QLatin1Char('<'))) {
        const qsizetype close = rest.indexOf(QLatin1Char('>'));
        if (close < 0)
            return std::nullopt;
        const QStringView name = rest.mid(1, close - 1);
        const auto known = std::find_if(
            modifierNames.begin(), modifierNames.end(), [name](const ModifierName& modifier) {
                return name.compare(modifier.name, Qt::CaseInsensitive) == 0;
            });
        if (known == modifierNames.end())
            return std::nullopt;
        modifiers |= known->mask;
        rest = rest.mid(close + 1);
    }
    static const QRegularExpression keysymName(QStringLiteral("^[A-Za-z0-9_]+$"));
    if (rest.isEmpty() || !keysymName.match(rest).hasMatch() ||
        rest.compare(QLatin1StringView("disabled"), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return KeyBinding{rest.toString(), modifiers};
}

QList<KeyBinding> read()
{
    if (!isGnome())
        return {};
    // Each line is "schema key value"; accelerators are the quoted strings of the value.
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    QList<KeyBinding> bindings;
    for (const QString& schema : schemas) {
        QProcess tool;
        tool.start(QStringLiteral("gsettings"), {QStringLiteral("list-recursively"), schema});
        if (!tool.waitForFinished(toolTimeoutMs) || tool.exitStatus() != QProcess::NormalExit ||
            tool.exitCode() != 0) {
            tool.kill();
            tool.waitForFinished(toolTimeoutMs);
            continue;
        }
        const QStringList lines =
            QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            const QString value = line.section(QLatin1Char(' '), 2);
            for (const QRegularExpressionMatch& match : quoted.globalMatch(value)) {
                if (const auto binding = parseAccelerator(match.capturedView(1)))
                    bindings.append(*binding);
            }
        }
    }
    return bindings;
}

} // namespace DesktopKeyBindings
