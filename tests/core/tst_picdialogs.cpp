#include "core/Main.h"
#include "core/mDialog.h"
#include "core/mFunction.h"

#include "apppath.h"
#include "filedialogs.h"
#include "testmain.h"
#include "vb.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

using ado::Variant;

namespace {
const QString kFilter = QStringLiteral("JPEG Obrazek (*.jpg)") + QChar(0) + "*.jpg" + QChar(0);

// Types `name` into the next modal file dialog and accepts it.
void typeIntoNextDialog(const QString& name, QString* title) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        *title = dialog->windowTitle();
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!edit) {
            dialog->reject();
            QFAIL("no file name box");
        }
        edit->setText(name);
        static_cast<QDialog*>(dialog)->accept();
    });
}
} // namespace

class TestPicDialogs : public QObject {
    Q_OBJECT

private slots:
    void findItemData() {
        QComboBox combo;
        QCOMPARE(FindItemData(&combo, Variant(5), -1), -1);
        combo.addItem("Bez hodnoty"); // an entry without a value counts as 0
        combo.addItem("Akce", 5);
        combo.addItem("Drama", 12);
        combo.addItem("Akce znovu", 5);
        QCOMPARE(FindItemData(&combo, Variant(5), -1), 1);
        QCOMPARE(FindItemData(&combo, Variant(12L), -1), 2);
        QCOMPARE(FindItemData(&combo, Variant("12"), -1), 2); // a text converts
        QCOMPARE(FindItemData(&combo, Variant(0), -1), 0);
        QCOMPARE(FindItemData(&combo, Variant(99), -1), -1);
        QCOMPARE(FindItemData(&combo, Variant(99), 3), 3);
        // Null gives the default without converting anything.
        QCOMPARE(FindItemData(&combo, Variant(), 2), 2);
        // A value that is no 32-bit integer is the caller's error.
        QVERIFY_THROWS_EXCEPTION(vb::RuntimeError, FindItemData(&combo, Variant("Akce"), -1));
        QVERIFY_THROWS_EXCEPTION(vb::RuntimeError, FindItemData(&combo, Variant(5e10), -1));
    }

    void dialogsAsk() {
        QTemporaryDir prog;
        SetAppPath(prog.path());
        filedialogs::Script script;
        script.answer("  /home/u/Obrázky/obal.jpg  ");
        script.answer(QStringLiteral("/home/u/nahled.jpg") + QChar(0) + "   ");
        script.cancel();
        QWidget owner;

        // No folder setting yet: the program's folder.
        QCOMPARE(OpenObalPicDialog(&owner), QString("/home/u/Obrázky/obal.jpg"));
        QCOMPARE(OpenNahledPicDialog(&owner), QString("/home/u/nahled.jpg"));
        QCOMPARE(SavePicDialog(&owner), QString());
        QCOMPARE(script.count(), 3);
        const auto& r = script.requests();
        QCOMPARE(r[0].kind, filedialogs::Kind::Open);
        QCOMPARE(r[0].title, QString("Načtení obrázku"));
        QCOMPARE(r[0].filter, kFilter);
        QCOMPARE(r[0].startDir, prog.path());
        QCOMPARE(r[0].defaultExt, QString("jpg"));
        QCOMPARE(r[1].kind, filedialogs::Kind::Open);
        QCOMPARE(r[1].title, QString("Načtení obrázku"));
        QCOMPARE(r[1].filter, kFilter);
        QCOMPARE(r[1].startDir, prog.path());
        QCOMPARE(r[1].defaultExt, QString());
        QCOMPARE(r[2].kind, filedialogs::Kind::Save);
        QCOMPARE(r[2].title, QString("Uložení obrázku"));
        QCOMPARE(r[2].filter, kFilter);
        QCOMPARE(r[2].startDir, QDir::homePath());
        QCOMPARE(r[2].defaultExt, QString("jpg"));

        // The folders the editor remembered.
        SaveSett("Covers", "/media/obaly");
        SaveSett("Nahled", "/media/nahledy");
        QCOMPARE(OpenObalPicDialog(&owner), QString()); // script used up: a cancel
        QCOMPARE(OpenNahledPicDialog(&owner), QString());
        QCOMPARE(script.requests()[3].startDir, QString("/media/obaly"));
        QCOMPARE(script.requests()[4].startDir, QString("/media/nahledy"));
        SetAppPath(QString());
    }

    void typedNamesInTheRealDialogs() {
        QTemporaryDir pics;
        QFile(pics.filePath("obal.jpg")).open(QIODevice::WriteOnly);
        QFile(pics.filePath("nahled")).open(QIODevice::WriteOnly);
        SaveSett("Covers", pics.path());
        SaveSett("Nahled", pics.path());
        QWidget owner;
        QString title;

        // The cover dialog looks for "obal" as obal.jpg; the preview one takes
        // the name as typed.
        typeIntoNextDialog("obal", &title);
        QCOMPARE(OpenObalPicDialog(&owner), pics.filePath("obal.jpg"));
        QCOMPARE(title, QString("Načtení obrázku"));
        typeIntoNextDialog("nahled", &title);
        QCOMPARE(OpenNahledPicDialog(&owner), pics.filePath("nahled"));

        typeIntoNextDialog("novy", &title);
        const QString saved = SavePicDialog(&owner);
        QCOMPARE(title, QString("Uložení obrázku"));
        QCOMPARE(saved, QDir(QDir::homePath()).filePath("novy.jpg"));
    }
};

DVD_TEST_MAIN(TestPicDialogs)
#include "tst_picdialogs.moc"
