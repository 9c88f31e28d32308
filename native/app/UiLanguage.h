#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QSettings;

// The language of the interface. The texts are written in Korean; every other
// language is a translation compiled into the resources as
// ":/i18n/inkly_<language>.qm".
namespace UiLanguage {

// Names a language for this run ("ko", "en"), ahead of the stored choice.
const char *const kOverrideVariable = "INKLY_LANGUAGE";
// The stored choice in the program's own settings, beside "log/level".
const char *const kSettingsKey = "ui/language";
// The language of the source texts, which needs no translation.
const char *const kSourceLanguage = "ko";
// For a locale none of the translations serves.
const char *const kFallbackLanguage = "en";

// The source language and those with a translation in the resources.
QStringList available();

// The language to show: the requested one when it is available, otherwise
// the first available of the user's preferred languages ("de-DE", "ko_KR"),
// otherwise the fallback. Names are compared by their language part only.
QString choose(
        const QString &requested, const QStringList &preferred, const QStringList &available);

// Chooses from the environment, the settings and the system's locale and
// installs the translation into `app`, before any text is read. Returns the
// language chosen.
QString install(QCoreApplication *app, const QSettings &settings);

} // namespace UiLanguage
