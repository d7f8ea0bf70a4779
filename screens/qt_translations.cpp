#include "screens/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool install_qt_translations(QCoreApplication& app) {
    static const QString name = QStringLiteral("ostrevan_qt_translations");
    if (app.findChild<QTranslator*>(name)) return true;
    auto* translator = new QTranslator(&app);
    translator->setObjectName(name);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
