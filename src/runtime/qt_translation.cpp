#include "runtime/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace rt {

void installQtTranslation()
{
    // qtbase holds the texts of Qt's widgets, print dialogs and SQL drivers; the qt_ catalogue would load
    // the other modules' texts as well, which the program never shows.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace rt
