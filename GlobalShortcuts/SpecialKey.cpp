#include "GlobalShortcuts/SpecialKey.h"

#include <algorithm>
#include <vector>

namespace GlobalShortcuts {

namespace {

// Sorted by key code on first use, so that a look-up is a binary search.
const std::vector<SpecialKey>& specialKeys()
{
    static const std::vector<SpecialKey> keys = [] {
        std::vector<SpecialKey> table{
            SpecialKey{36, QStringLiteral(u"\u21A9"), QStringLiteral(u"\u21A9"), Qt::Key_Return,
                       false},
            SpecialKey{51, QStringLiteral(u"\u232B"), QStringLiteral(u"\u232B"), Qt::Key_Backspace,
                       false},
            SpecialKey{117, QStringLiteral(u"\u2326"), QStringLiteral(u"\u2326"), Qt::Key_Delete,
                       false},
            SpecialKey{119, QStringLiteral(u"\u2198"), QStringLiteral(u"\u2198"), Qt::Key_End,
                       false},
            SpecialKey{53, QStringLiteral(u"\u238B"), QStringLiteral(u"\u238B"), Qt::Key_Escape,
                       false},
            SpecialKey{114, QStringLiteral(u"?\u20DD"), QStringLiteral(u"?\u20DD"), Qt::Key_Insert,
                       false},
            SpecialKey{115, QStringLiteral(u"\u2196"), QStringLiteral(u"\u2196"), Qt::Key_Home,
                       false},
            SpecialKey{49, QStringLiteral(u""), QStringLiteral(u" "), Qt::Key_Space, false},
            SpecialKey{48, QStringLiteral(u"\u21E5"), QStringLiteral(u"\u21E5"), Qt::Key_Tab,
                       false},
            SpecialKey{116, QStringLiteral(u"\u21DE"), QStringLiteral(u"\u21DE"), Qt::Key_PageUp,
                       false},
            SpecialKey{121, QStringLiteral(u"\u21DF"), QStringLiteral(u"\u21DF"), Qt::Key_PageDown,
                       false},
            SpecialKey{126, QStringLiteral(u"\u2191"), QStringLiteral(u"\u2191"), Qt::Key_Up,
                       false},
            SpecialKey{124, QStringLiteral(u"\u2192"), QStringLiteral(u"\u2192"), Qt::Key_Right,
                       false},
            SpecialKey{125, QStringLiteral(u"\u2193"), QStringLiteral(u"\u2193"), Qt::Key_Down,
                       false},
            SpecialKey{123, QStringLiteral(u"\u2190"), QStringLiteral(u"\u2190"), Qt::Key_Left,
                       false},
            SpecialKey{122, QStringLiteral(u"F1"), QStringLiteral(u"\uF704"), Qt::Key_F1, false},
            SpecialKey{120, QStringLiteral(u"F2"), QStringLiteral(u"\uF705"), Qt::Key_F2, false},
            SpecialKey{99, QStringLiteral(u"F3"), QStringLiteral(u"\uF706"), Qt::Key_F3, false},
            SpecialKey{118, QStringLiteral(u"F4"), QStringLiteral(u"\uF707"), Qt::Key_F4, false},
            SpecialKey{96, QStringLiteral(u"F5"), QStringLiteral(u"\uF708"), Qt::Key_F5, false},
            SpecialKey{97, QStringLiteral(u"F6"), QStringLiteral(u"\uF709"), Qt::Key_F6, false},
            SpecialKey{98, QStringLiteral(u"F7"), QStringLiteral(u"\uF70A"), Qt::Key_F7, false},
            SpecialKey{100, QStringLiteral(u"F8"), QStringLiteral(u"\uF70B"), Qt::Key_F8, false},
            SpecialKey{101, QStringLiteral(u"F9"), QStringLiteral(u"\uF70C"), Qt::Key_F9, false},
            SpecialKey{109, QStringLiteral(u"F10"), QStringLiteral(u"\uF70D"), Qt::Key_F10, false},
            SpecialKey{103, QStringLiteral(u"F11"), QStringLiteral(u"\uF70E"), Qt::Key_F11, false},
            SpecialKey{111, QStringLiteral(u"F12"), QStringLiteral(u"\uF70F"), Qt::Key_F12, false},
            SpecialKey{105, QStringLiteral(u"F13"), QStringLiteral(u"\uF710"), Qt::Key_F13, false},
            SpecialKey{107, QStringLiteral(u"F14"), QStringLiteral(u"\uF711"), Qt::Key_F14, false},
            SpecialKey{113, QStringLiteral(u"F15"), QStringLiteral(u"\uF712"), Qt::Key_F15, false},
            SpecialKey{106, QStringLiteral(u"F16"), QStringLiteral(u"\uF713"), Qt::Key_F16, false},
            SpecialKey{64, QStringLiteral(u"F17"), QStringLiteral(u"\uF714"), Qt::Key_F17, false},
            SpecialKey{79, QStringLiteral(u"F18"), QStringLiteral(u"\uF715"), Qt::Key_F18, false},
            SpecialKey{80, QStringLiteral(u"F19"), QStringLiteral(u"\uF716"), Qt::Key_F19, false},
            SpecialKey{90, QStringLiteral(u"F20"), QStringLiteral(u"\uF717"), Qt::Key_F20, false},
            SpecialKey{82, QStringLiteral(u"0\u20E3"), std::nullopt, Qt::Key_0, true},
            SpecialKey{83, QStringLiteral(u"1\u20E3"), std::nullopt, Qt::Key_1, true},
            SpecialKey{84, QStringLiteral(u"2\u20E3"), std::nullopt, Qt::Key_2, true},
            SpecialKey{85, QStringLiteral(u"3\u20E3"), std::nullopt, Qt::Key_3, true},
            SpecialKey{86, QStringLiteral(u"4\u20E3"), std::nullopt, Qt::Key_4, true},
            SpecialKey{87, QStringLiteral(u"5\u20E3"), std::nullopt, Qt::Key_5, true},
            SpecialKey{88, QStringLiteral(u"6\u20E3"), std::nullopt, Qt::Key_6, true},
            SpecialKey{89, QStringLiteral(u"7\u20E3"), std::nullopt, Qt::Key_7, true},
            SpecialKey{91, QStringLiteral(u"8\u20E3"), std::nullopt, Qt::Key_8, true},
            SpecialKey{92, QStringLiteral(u"9\u20E3"), std::nullopt, Qt::Key_9, true},
            SpecialKey{71, QStringLiteral(u"\u2612\u20E3"), std::nullopt, Qt::Key_NumLock, true},
            SpecialKey{65, QStringLiteral(u".\u20E3"), std::nullopt, Qt::Key_Period, true},
            SpecialKey{75, QStringLiteral(u"/\u20E3"), std::nullopt, Qt::Key_Slash, true},
            SpecialKey{76, QStringLiteral(u"\u21A9\u20E3"), std::nullopt, Qt::Key_Enter, true},
            SpecialKey{81, QStringLiteral(u"=\u20E3"), std::nullopt, Qt::Key_Equal, true},
            SpecialKey{78, QStringLiteral(u"-\u20E3"), std::nullopt, Qt::Key_Minus, true},
            SpecialKey{67, QStringLiteral(u"*\u20E3"), std::nullopt, Qt::Key_Asterisk, true},
            SpecialKey{69, QStringLiteral(u"+\u20E3"), std::nullopt, Qt::Key_Plus, true},
        };
        std::sort(table.begin(), table.end(), [](const SpecialKey& left, const SpecialKey& right) {
            return left.keyCode < right.keyCode;
        });
        return table;
    }();
    return keys;
}

} // namespace

const SpecialKey* specialKey(int keyCode)
{
    const std::vector<SpecialKey>& keys = specialKeys();
    const auto found =
        std::lower_bound(keys.begin(), keys.end(), keyCode,
                         [](const SpecialKey& key, int code) { return key.keyCode < code; });
    return found != keys.end() && found->keyCode == keyCode ? &*found : nullptr;
}

} // namespace GlobalShortcuts
