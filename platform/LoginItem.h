#pragma once

#include <QString>

// Starting the program when the user logs in, through an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/quillory.desktop). Nothing is cached: every question reads the
// file again, so the answer is always what the desktop will do at the next login.
class LoginItem
{
public:
    // `entryPath` is the autostart file; `program` the executable it starts.
    LoginItem();
    LoginItem(const QString& entryPath, const QString& program);
    virtual ~LoginItem() = default;

    static QString defaultEntryPath();

    // The entry exists and is not marked Hidden=true.
    virtual bool isEnabled() const;

    // Each returns false and sets errorString() when the file could not be changed.
    virtual bool registerItem();
    virtual bool unregisterItem();
    QString errorString() const { return m_errorString; }

    QString entryPath() const { return m_entryPath; }

    // The program path in the quoting an Exec key needs.
    static QString execValue(const QString& program);

private:
    QString m_entryPath;
    QString m_program;
    QString m_errorString;
};
