#pragma once

#include "app/QmlSingleton.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

// Registers the program to start with the user's session: a value under the
// current user's Run key on Windows, an XDG autostart entry elsewhere.
// Failures are reported by the result and errorString(), never logged here.
class AutoStartHelper : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    INKLY_SINGLETON_FACTORY(AutoStartHelper)
    // Whether the registration starts the program with Windows rather than
    // at a desktop log-in; the settings word the switch by it.
    Q_PROPERTY(bool startsWithWindows READ startsWithWindows CONSTANT FINAL)

public:
    static AutoStartHelper *instance();

    Q_INVOKABLE bool isEnabled() const;
    Q_INVOKABLE bool enable(const QString &args);
    Q_INVOKABLE bool enable();
    Q_INVOKABLE bool disable();
    Q_INVOKABLE QString errorString() const;
    bool startsWithWindows() const;

    // Whether stored Run key data is the data we would write.
    static bool sameCommandLine(const QString &stored, const QString &expected);

    // The arguments of a command-line tail ("--a \"b c\"" gives two).
    static QStringList splitArguments(const QString &args);
    // One argument quoted by the Desktop Entry rules for Exec, left bare
    // when it holds no reserved character.
    static QString quoteExecArgument(const QString &argument, bool alwaysQuote = false);
    // The Exec value as written in the file: the quoted path, then the
    // arguments, with the string escapes of desktop files applied.
    static QString buildExecLine(const QString &programPath, const QString &args);
    // The program and arguments an Exec value stands for; false in `ok` for
    // an unterminated quote.
    static QStringList parseExecLine(const QString &value, bool *ok = nullptr);
    // Whether a stored Exec value starts `programPath` with `args`.
    static bool sameExecLine(
            const QString &stored, const QString &programPath, const QString &args);
    static QString desktopEntry(
            const QString &name, const QString &programPath, const QString &args);
    // The Exec value of the [Desktop Entry] group, empty when there is none.
    static QString execValueOf(const QString &entryText);

private:
    AutoStartHelper() = default;
    Q_DISABLE_COPY_MOVE(AutoStartHelper)

    // Operating-system side, in AutoStartHelper_win.cpp and
    // AutoStartHelper_x11.cpp.
    static bool writeEntry(const QString &programPath, const QString &args);
    static bool entryMatches(const QString &programPath, const QString &args);
    static bool hasEntry();
    static bool removeEntry();

    QString m_lastError;
};
