#include "qtczech.h"

#include <QCoreApplication>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {

// Texts of the file dialogs' type column that qtbase_cs of Qt 6.4 lacks
// (they moved to a new context in Qt 6).
class MissingTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        static const QHash<QByteArray, QString> fileTypes{
            {"Folder", QStringLiteral("Složka")},     {"File", QStringLiteral("Soubor")},
            {"%1 File", QStringLiteral("Soubor %1")}, {"Drive", QStringLiteral("Jednotka")},
            {"Shortcut", QStringLiteral("Zástupce")}, {"Unknown", QStringLiteral("Neznámý")},
        };
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return QString();
        return fileTypes.value(sourceText);
    }
};

} // namespace

bool UseQtCzech() {
    static QTranslator* translator = nullptr;
    if (translator) return true;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    auto* t = new QTranslator(QCoreApplication::instance());
    if (!t->load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete t;
        return false;
    }
    QCoreApplication::installTranslator(t);
    QCoreApplication::installTranslator(new MissingTexts(QCoreApplication::instance()));
    translator = t;
    return true;
}
