#include "doevents.h"
#include "filedialogs.h"
#include "htmlhelp.h"
#include "shell.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QScopeGuard>
#include <QTimer>
#include <QTreeView>

namespace {
const QString kJpegFilter = QStringLiteral("JPEG Obrazek (*.jpg)") + QChar(0) + "*.jpg" + QChar(0);

// Answers the next modal file dialog: types `name` and accepts, or rejects when `name` is null.
void answerNextDialog(const QString& name, QString* seenTitle = nullptr, QString* seenDir = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (seenTitle) *seenTitle = dialog->windowTitle();
        if (seenDir) *seenDir = dialog->directory().absolutePath();
        if (name.isNull()) {
            dialog->reject();
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!edit) {
            dialog->reject();
            QFAIL("no file name box");
        }
        edit->setText(name);
        // A box the dialog raises instead of accepting is closed, and so is the dialog.
        QTimer::singleShot(0, [dialog] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box->close();
                dialog->reject();
            }
        });
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, as the Open button does
    });
}
} // namespace

class TestShellDialogs : public QObject {
    Q_OBJECT
private slots:
    void shellRecordsWhatItWouldOpen() {
        QTemporaryDir dir;
        const QString page = dir.filePath("test.htm");
        QFile(page).open(QIODevice::WriteOnly);
        shell::Recorder rec;
        QVERIFY(ShellOpen(page));
        QVERIFY(ShellOpen("https://example.cz/podpora/files/setupupgrade.exe"));
        rec.result = false;
        QVERIFY(!ShellOpen("www.example.cz"));
        QCOMPARE(rec.count(), 3);
        QCOMPARE(rec.calls()[0].target, page);
        QCOMPARE(rec.calls()[0].url, QUrl::fromLocalFile(page));
        QCOMPARE(rec.calls()[1].url, QUrl("https://example.cz/podpora/files/setupupgrade.exe"));
        QCOMPARE(rec.calls()[2].url.scheme(), QString("http"));
        QCOMPARE(rec.calls()[2].url.host(), QString("www.example.cz"));
        // a path with blanks and Czech letters stays a file
        QCOMPARE(ShellUrl("/tmp/Můj film/a b.htm"), QUrl::fromLocalFile("/tmp/Můj film/a b.htm"));
    }

    void htmlHelpDropsTheWindowName() {
        htmlhelp::Recorder rec;
        QVERIFY(HtmlHelpShow("/opt/app/data/napoveda.chm>Main"));
        QVERIFY(HtmlHelpShow("/opt/app/data/napoveda.chm"));
        QCOMPARE(rec.files(), QList<QString>({"/opt/app/data/napoveda.chm", "/opt/app/data/napoveda.chm"}));
    }

    void htmlHelpWithoutTheFileFails() {
        // no recorder: a missing file is refused before anything is opened
        QVERIFY(!HtmlHelpShow(QDir::temp().filePath("no-such-help.chm>Main")));
    }

    void scriptedDialogs() {
        filedialogs::Script script;
        script.answer("/home/u/obal.jpg  ");
        script.cancel();
        QCOMPARE(GetOpenFileName("Načtení obrázku", kJpegFilter, "/home/u", "jpg"),
                 QString("/home/u/obal.jpg"));
        QCOMPARE(GetSaveFileName("Uložení obrázku", kJpegFilter, "/", "jpg"), QString());
        QCOMPARE(GetOpenFileName("Načtení obrázku", kJpegFilter, "/home/u"),
                 QString()); // script used up: cancel
        QCOMPARE(script.count(), 3);
        const filedialogs::Request& first = script.requests()[0];
        QCOMPARE(first.kind, filedialogs::Kind::Open);
        QCOMPARE(first.title, QString("Načtení obrázku"));
        QCOMPARE(first.filter, kJpegFilter);
        QCOMPARE(first.startDir, QString("/home/u"));
        QCOMPARE(first.defaultExt, QString("jpg"));
        QCOMPARE(script.requests()[1].kind, filedialogs::Kind::Save);
        QCOMPARE(script.requests()[1].answer, QString());
        QCOMPARE(script.last().defaultExt, QString());
    }

    void windowsFiltersBecomeQtFilters() {
        QCOMPARE(QtNameFilters(kJpegFilter), QStringList{"JPEG Obrazek (*.jpg)"});
        QCOMPARE(QtNameFilters("Obrázky|*.jpg;*.png|Vše (*.*)|*.*"),
                 QStringList({"Obrázky (*.jpg *.png)", "Vše (*.*)"}));
        // the shown patterns are not the real ones: the real ones win
        QCOMPARE(QtNameFilters("JPEG (*.jpeg)|*.jpg"), QStringList{"JPEG (*.jpeg) (*.jpg)"});
        QCOMPARE(QtNameFilters("Text (*.txt)"), QStringList{"Text (*.txt)"});
        QCOMPARE(QtNameFilters(""), QStringList());
    }

    void realOpenDialogAddsTheDefaultExtension() {
        QTemporaryDir dir;
        QFile(dir.filePath("obal.jpg")).open(QIODevice::WriteOnly);
        QString title, shownDir;
        answerNextDialog("obal", &title, &shownDir);
        QCOMPARE(GetOpenFileName("Načtení obrázku", kJpegFilter, dir.path(), "jpg"),
                 dir.filePath("obal.jpg"));
        QCOMPARE(title, QString("Načtení obrázku"));
        QCOMPARE(shownDir, QDir(dir.path()).absolutePath());
        // a name of no file is taken as typed, with the extension added where it is given
        answerNextDialog("chybí");
        QCOMPARE(GetOpenFileName("Načtení obrázku", kJpegFilter, dir.path(), "jpg"),
                 dir.filePath("chybí.jpg"));
        answerNextDialog("chybí");
        QCOMPARE(GetOpenFileName("Načtení obrázku", kJpegFilter, dir.path()), dir.filePath("chybí"));
    }

    // Sizes under 1 KiB with the Czech plural (Qt's Czech has "bajty" for all).
    void realDialogListsSizesInCzech() {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
        QTemporaryDir dir;
        const QList<QPair<QString, int>> files{{"a.jpg", 1}, {"b.jpg", 3}, {"c.jpg", 870}, {"d.jpg", 2048}};
        for (const auto& [name, size] : files) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(size, 'x'));
        }
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            const auto close = qScopeGuard([dialog] { dialog->reject(); });
            auto* list = dialog->findChild<QTreeView*>("treeView");
            QVERIFY(list);
            const QAbstractItemModel* model = list->model();
            QTRY_COMPARE(model->rowCount(list->rootIndex()), int(files.size()));
            for (int row = 0; row < files.size(); ++row)
                shown << model->index(row, 0, list->rootIndex()).data().toString() + " " +
                             model->index(row, 1, list->rootIndex()).data().toString();
        });
        GetOpenFileName("Načtení obrázku", kJpegFilter, dir.path(), "jpg");
        QLocale::setDefault(before);
        shown.sort();
        QCOMPARE(shown, QStringList({"a.jpg 1 bajt", "b.jpg 3 bajty", "c.jpg 870 bajtů", "d.jpg 2,00 KiB"}));
    }

    void realSaveDialogAndCancel() {
        QTemporaryDir dir;
        QFile(dir.filePath("stary.jpg")).open(QIODevice::WriteOnly);
        answerNextDialog("stary"); // an existing file is not asked about
        QCOMPARE(GetSaveFileName("Uložení obrázku", kJpegFilter, dir.path(), "jpg"),
                 dir.filePath("stary.jpg"));
        QString shownDir;
        answerNextDialog(QString(), nullptr, &shownDir);
        QCOMPARE(GetSaveFileName("Uložení obrázku", kJpegFilter, "c:\\", "jpg"), QString());
        QCOMPARE(shownDir, QDir::homePath()); // a folder that does not exist starts at home
    }

    void doEventsRunsPendingEvents() {
        bool ran = false;
        QTimer::singleShot(0, [&] { ran = true; });
        DoEvents();
        QVERIFY(ran);
    }
};

DVD_TEST_MAIN(TestShellDialogs)
#include "tst_shell_dialogs.moc"
