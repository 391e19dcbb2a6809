// Lays out a data folder: the catalogue data.ddb (with a short list of Czech
// genres and departments) and the picture store pictures.ddb.
//   mkdata DIR               creates both; an existing file is an error
//   mkdata --if-missing DIR  creates only the missing ones
//   --empty                  leaves the genre and department lists empty
#include "core/schema.h"

#include "err.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    bool ifMissing = false;
    bool defaults = true;
    QString dir;
    const QStringList args = app.arguments().mid(1);
    for (const QString& a : args) {
        if (a == QLatin1String("--if-missing"))
            ifMissing = true;
        else if (a == QLatin1String("--empty"))
            defaults = false;
        else if (dir.isEmpty() && !a.startsWith(QLatin1String("--")))
            dir = a;
        else {
            err << "mkdata: unknown argument " << a << "\n";
            dir.clear();
            break;
        }
    }
    if (dir.isEmpty()) {
        err << "usage: mkdata [--if-missing] [--empty] DIR\n";
        return 2;
    }
    if (!QDir().mkpath(dir)) {
        err << "mkdata: cannot create the folder " << dir << "\n";
        return 1;
    }
    const QString catalogue = QDir(dir).filePath(QStringLiteral("data.ddb"));
    const QString pictures = QDir(dir).filePath(QStringLiteral("pictures.ddb"));
    if (!ifMissing) {
        for (const QString& f : {catalogue, pictures}) {
            if (QFileInfo::exists(f)) {
                err << "mkdata: " << f << " already exists; it is left as it is\n";
                return 1;
            }
        }
    }
    try {
        if (!QFileInfo::exists(catalogue)) schema::CreateCatalogue(catalogue, defaults);
        if (!QFileInfo::exists(pictures)) schema::CreatePictureStore(pictures);
    } catch (const vb::RuntimeError& e) {
        err << "mkdata: " << e.description() << "\n";
        return 1;
    }
    return 0;
}
