// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcTranslations, "liravo.translations")

bool installQtChineseTranslations(QCoreApplication &app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        qCWarning(lcTranslations) << "no Chinese translations of Qt in" << folder;
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
