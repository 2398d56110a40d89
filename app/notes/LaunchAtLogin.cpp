#include "LaunchAtLogin.h"

#include "platform/Log.h"
#include "platform/LoginItem.h"
#include "platform/MainThread.h"

namespace {
const Log loginLog("quillory.login");
}

LaunchAtLogin::LaunchAtLogin(LoginItem& item, QObject* parent)
    : QObject(parent)
    , m_item(item)
{}

bool LaunchAtLogin::isEnabled() const
{
    return m_item.isEnabled();
}

void LaunchAtLogin::setEnabled(bool enabled)
{
    QUILLORY_ASSERT_MAIN_THREAD();
    const bool changedOk = enabled ? m_item.registerItem() : m_item.unregisterItem();
    if (!changedOk)
        loginLog.error(QStringLiteral("Quillory: launch at login change failed: ") +
                       m_item.errorString());
    Q_EMIT changed(m_item.isEnabled());
}
