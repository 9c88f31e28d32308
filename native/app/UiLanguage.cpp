#include "app/UiLanguage.h"

#include "app/LogCategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

namespace UiLanguage {

namespace {

const QString kTranslationDir = QStringLiteral(":/i18n");
const QString kFilePrefix = QStringLiteral("inkly_");

// "ko_KR", "en-GB" and "EN" all name the language by its first part.
QString languagePart(const QString &name)
{
    return name.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0).toLower().trimmed();
}

} // namespace

QStringList available()
{
    QStringList languages { QString::fromLatin1(kSourceLanguage) };
    const QStringList files
            = QDir(kTranslationDir).entryList({ kFilePrefix + QStringLiteral("*.qm") });
    for (const QString &file : files) {
        const QString language = file.mid(kFilePrefix.size()).chopped(3);
        if (!languages.contains(language))
            languages.append(language);
    }
    return languages;
}

QString choose(const QString &requested, const QStringList &preferred, const QStringList &available)
{
    const QString wanted = languagePart(requested);
    if (available.contains(wanted))
        return wanted;
    if (!wanted.isEmpty())
        qCWarning(lcUiLanguage) << "[UiLanguage] No translation for" << requested
                                << "- following the locale";
    for (const QString &name : preferred) {
        const QString language = languagePart(name);
        if (available.contains(language))
            return language;
    }
    return QString::fromLatin1(kFallbackLanguage);
}

QString install(QCoreApplication *app, const QSettings &settings)
{
    QString requested = qEnvironmentVariable(kOverrideVariable);
    if (requested.trimmed().isEmpty())
        requested = settings.value(QString::fromLatin1(kSettingsKey)).toString();
    const QString language = choose(requested, QLocale::system().uiLanguages(), available());
    if (language == QLatin1String(kSourceLanguage)) {
        qCInfo(lcUiLanguage) << "[UiLanguage] Interface language:" << language;
        return language;
    }
    auto *translator = new QTranslator(app);
    if (!translator->load(kFilePrefix + language, kTranslationDir)) {
        // Only a broken build gets here; the source texts still read.
        qCWarning(lcUiLanguage) << "[UiLanguage] Cannot load the translation" << language;
        delete translator;
        return QString::fromLatin1(kSourceLanguage);
    }
    QCoreApplication::installTranslator(translator);
    qCInfo(lcUiLanguage) << "[UiLanguage] Interface language:" << language;
    return language;
}

} // namespace UiLanguage
