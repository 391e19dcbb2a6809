#include "core/Main.h"
#include "core/mDialog.h"
#include "core/mFunction.h"

#include "apppath.h"
#include "filedialogs.h"
#include "testmain.h"
#include "vb.h"

#include <QComboBox>
#include <QDir>

using ado::Variant;

static const QString kFilter = QStringLiteral("JPEG Obrazek (*.jpg)") + QChar(0) + "*.jpg" + QChar(0);

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
        QCOMPARE(FindItemData(&combo, Variant("12"), -1), 2); // a text converts
        QCOMPARE(FindItemData(&combo, Variant(0), -1), 0);
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
        auto asked = [&](int i) {
            const filedialogs::Request& r = script.requests().at(i);
            return QStringList{r.kind == filedialogs::Kind::Open ? "open" : "save", r.title, r.startDir,
                               r.defaultExt};
        };
        QCOMPARE(asked(0), QStringList({"open", "Načtení obrázku", prog.path(), "jpg"}));
        QCOMPARE(asked(1), QStringList({"open", "Načtení obrázku", prog.path(), ""}));
        QCOMPARE(asked(2), QStringList({"save", "Uložení obrázku", QDir::homePath(), "jpg"}));

        // The folders the editor remembered.
        SaveSett("Covers", "/media/obaly");
        SaveSett("Nahled", "/media/nahledy");
        QCOMPARE(OpenObalPicDialog(&owner), QString()); // script used up: a cancel
        QCOMPARE(OpenNahledPicDialog(&owner), QString());
        QCOMPARE(asked(3), QStringList({"open", "Načtení obrázku", "/media/obaly", "jpg"}));
        QCOMPARE(asked(4), QStringList({"open", "Načtení obrázku", "/media/nahledy", ""}));
        for (const filedialogs::Request& r : script.requests())
            QCOMPARE(r.filter, kFilter);
        SetAppPath(QString());
    }
};

DVD_TEST_MAIN(TestPicDialogs)
#include "tst_picdialogs.moc"
