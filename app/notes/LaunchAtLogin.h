#pragma once

#include <QObject>

class LoginItem;

// Whether Quillory starts when the user logs in. The state is never stored by us: it is read
// back from the login item after every change, so what is shown is what will happen.
class LaunchAtLogin : public QObject
{
    Q_OBJECT

public:
    explicit LaunchAtLogin(LoginItem& item, QObject* parent = nullptr);

    bool isEnabled() const;
    // A failure is logged; `changed` then carries the unchanged state.
    void setEnabled(bool enabled);

Q_SIGNALS:
    void changed(bool enabled);

private:
    LoginItem& m_item;
};
