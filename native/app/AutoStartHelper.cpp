#include "app/AutoStartHelper.h"

#include <QCoreApplication>
#include <QProcess>

namespace {

const QString kWriteFailed = QStringLiteral("Failed to write registry entry");
const QString kRemoveFailed = QStringLiteral("Failed to remove registry entry");
const QString kDesktopEntryGroup = QStringLiteral("[Desktop Entry]");

// Characters that force an Exec argument into double quotes.
bool isReservedInExec(QChar c)
{
    static const QString reserved = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#`()");
    return reserved.contains(c);
}

// Characters that take a backslash inside a quoted Exec argument.
bool isEscapedInQuotes(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')
            || c == QLatin1Char('\\');
}

bool isExecBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

// The escapes of a desktop file's string values; they apply on top of the
// Exec quoting, which is why a literal backslash ends up doubled twice.
QString escapeStringValue(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\'))
            escaped += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            escaped += QLatin1String("\\s");
        else
            escaped += c;
    }
    return escaped;
}

QString unescapeStringValue(const QString &value)
{
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            plain += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            plain += QLatin1Char(' ');
            break;
        case 'n':
            plain += QLatin1Char('\n');
            break;
        case 't':
            plain += QLatin1Char('\t');
            break;
        case 'r':
            plain += QLatin1Char('\r');
            break;
        case '\\':
            plain += QLatin1Char('\\');
            break;
        default:
            plain += c;
            plain += next;
        }
    }
    return plain;
}

// "%%" stands for a literal percent sign; we never write field codes.
QString unescapePercent(const QString &argument)
{
    QString plain;
    plain.reserve(argument.size());
    for (qsizetype i = 0; i < argument.size(); ++i) {
        plain += argument.at(i);
        if (argument.at(i) == QLatin1Char('%') && i + 1 < argument.size()
                && argument.at(i + 1) == QLatin1Char('%'))
            ++i;
    }
    return plain;
}

} // namespace

AutoStartHelper *AutoStartHelper::instance()
{
    static AutoStartHelper *const s_instance = new AutoStartHelper;
    return s_instance;
}

bool AutoStartHelper::isEnabled() const
{
    return hasEntry();
}

bool AutoStartHelper::enable(const QString &args)
{
    m_lastError.clear();
    const QString program = QCoreApplication::applicationFilePath();
    if (!writeEntry(program, args)) {
        m_lastError = kWriteFailed;
        return false;
    }
    // A write that seemed to work but left something else behind is still a
    // failure, only one without a reason to give.
    return entryMatches(program, args);
}

bool AutoStartHelper::enable()
{
    return enable(QString());
}

bool AutoStartHelper::disable()
{
    m_lastError.clear();
    if (!hasEntry())
        return true;
    if (!removeEntry()) {
        m_lastError = kRemoveFailed;
        return false;
    }
    return true;
}

QString AutoStartHelper::errorString() const
{
    return m_lastError;
}

bool AutoStartHelper::sameCommandLine(const QString &stored, const QString &expected)
{
    // Windows paths ignore letter case; the arguments are the program's own.
    const auto split = [](const QString &data, QString *path, QString *rest) {
        if (!data.startsWith(QLatin1Char('"')))
            return false;
        const qsizetype end = data.indexOf(QLatin1Char('"'), 1);
        if (end < 0)
            return false;
        *path = data.mid(1, end - 1);
        *rest = data.mid(end + 1);
        return true;
    };
    QString storedPath, storedRest, expectedPath, expectedRest;
    if (!split(stored, &storedPath, &storedRest) || !split(expected, &expectedPath, &expectedRest))
        return stored == expected;
    return storedPath.compare(expectedPath, Qt::CaseInsensitive) == 0 && storedRest == expectedRest;
}

QStringList AutoStartHelper::splitArguments(const QString &args)
{
    return QProcess::splitCommand(args);
}

QString AutoStartHelper::quoteExecArgument(const QString &argument, bool alwaysQuote)
{
    QString text = argument;
    text.replace(QLatin1Char('%'), QLatin1String("%%"));

    bool needsQuotes = alwaysQuote || text.isEmpty();
    for (qsizetype i = 0; !needsQuotes && i < text.size(); ++i)
        needsQuotes = isReservedInExec(text.at(i));
    if (!needsQuotes)
        return text;

    QString quoted;
    quoted.reserve(text.size() + 4);
    quoted += QLatin1Char('"');
    for (const QChar c : std::as_const(text)) {
        if (isEscapedInQuotes(c))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted;
}

QString AutoStartHelper::buildExecLine(const QString &programPath, const QString &args)
{
    QStringList parts { quoteExecArgument(programPath, true) };
    const QStringList arguments = splitArguments(args);
    for (const QString &argument : arguments)
        parts << quoteExecArgument(argument);
    return escapeStringValue(parts.join(QLatin1Char(' ')));
}

QStringList AutoStartHelper::parseExecLine(const QString &value, bool *ok)
{
    const QString line = unescapeStringValue(value);
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < line.size()
                    && isEscapedInQuotes(line.at(i + 1))) {
                current += line.at(++i);
            } else {
                current += c;
            }
        } else if (isExecBlank(c)) {
            if (inArgument)
                arguments << unescapePercent(current);
            current.clear();
            inArgument = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument && !inQuotes)
        arguments << unescapePercent(current);
    if (ok)
        *ok = !inQuotes;
    return inQuotes ? QStringList() : arguments;
}

bool AutoStartHelper::sameExecLine(
        const QString &stored, const QString &programPath, const QString &args)
{
    bool ok = false;
    const QStringList parsed = parseExecLine(stored, &ok);
    return ok && parsed == QStringList { programPath } + splitArguments(args);
}

QString AutoStartHelper::desktopEntry(
        const QString &name, const QString &programPath, const QString &args)
{
    return kDesktopEntryGroup + QLatin1Char('\n') + QStringLiteral("Type=Application\n")
            + QStringLiteral("Name=") + escapeStringValue(name) + QLatin1Char('\n')
            + QStringLiteral("Exec=") + buildExecLine(programPath, args) + QLatin1Char('\n');
}

QString AutoStartHelper::execValueOf(const QString &entryText)
{
    bool inGroup = false;
    const QStringList lines = entryText.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line.trimmed() == kDesktopEntryGroup;
            continue;
        }
        if (!inGroup || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != QLatin1String("Exec"))
            continue;
        return line.mid(equals + 1).trimmed();
    }
    return QString();
}
