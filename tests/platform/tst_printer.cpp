#include "printer.h"
#include "testmain.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using printer::PdfSeam;
using printer::PrintJob;

namespace {

QImage redPicture(int w = 30, int h = 20) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::red);
    return img;
}

struct PdfFacts {
    int pages = 0;
    QSizeF mediaBox; // points, of the first page
    int images = 0;
};

PdfFacts readPdf(const QString& path) {
    PdfFacts facts;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return facts;
    const QByteArray pdf = f.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    static const QRegularExpression box(
        QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)"));
    static const QRegularExpression image(QStringLiteral("/Subtype\\s*/Image"));
    const QString text = QString::fromLatin1(pdf);
    facts.pages = int(text.count(page));
    facts.images = int(text.count(image));
    const auto m = box.match(text);
    if (m.hasMatch())
        facts.mediaBox = QSizeF(m.captured(3).toDouble() - m.captured(1).toDouble(),
                                m.captured(4).toDouble() - m.captured(2).toDouble());
    return facts;
}

} // namespace

class TestPrinter : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void jobGoesToTheNamedPrinterElseTheDefault() {
        PdfSeam seam({"Laser", "Inkoust"}, "Inkoust", dir.path());
        QCOMPARE(printer::PrinterNames(), QStringList({"Laser", "Inkoust"}));
        QCOMPARE(PrintJob("Laser").DeviceName(), QString("Laser"));
        QCOMPARE(PrintJob("laser").DeviceName(), QString("Inkoust")); // names compare exactly
        QCOMPARE(PrintJob().DeviceName(), QString("Inkoust"));
        PdfSeam noDefault({"Laser", "Inkoust"}, "", dir.path());
        QCOMPARE(PrintJob("Zmizelá").DeviceName(), QString("Laser"));
    }

    void landscapePictureMakesOneLandscapePage() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        PrintJob job("Laser");
        job.setOrientation(printer::vbPRORLandscape);
        QVERIFY(job.PaintPicture(redPicture(), 10, 10, 15600, 10480));
        job.setOrientation(printer::vbPRORPortrait); // too late for the page under way
        QVERIFY(job.EndDoc());
        QCOMPARE(seam.count(), 1);
        QCOMPARE(seam.last().deviceName, QString("Laser"));
        QCOMPARE(seam.last().pictures, QList<QRect>({QRect(10, 10, 15600, 10480)}));
        const PdfFacts pdf = readPdf(seam.last().pdfPath);
        QCOMPARE(pdf.pages, 1);
        QCOMPARE(pdf.images, 1);
        QCOMPARE(qRound(pdf.mediaBox.width()), 842); // A4 across
        QCOMPARE(qRound(pdf.mediaBox.height()), 595);

        // the next document is a file of its own, portrait by default
        PrintJob next;
        QVERIFY(next.PaintPicture(redPicture(), 0, 0, 1440, 1440));
        QVERIFY(next.EndDoc());
        QCOMPARE(seam.count(), 2);
        QVERIFY(readPdf(seam.last().pdfPath).mediaBox.height() > 800);
    }

    void nothingToPrintSendsNothing() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        PrintJob job;
        QVERIFY(!job.PaintPicture(dir.filePath("missing.jpg"), 0, 0, 100, 100));
        QVERIFY(job.EndDoc());
        QCOMPARE(job.Pages(), 0);

        PdfSeam none({}, "", dir.path());
        PrintJob nowhere("Laser");
        QCOMPARE(nowhere.DeviceName(), QString());
        QVERIFY(!nowhere.PaintPicture(redPicture(), 10, 10, 1440, 1440));
        QCOMPARE(nowhere.ErrorText(), QString("Není nainstalována žádná tiskárna."));
        QCOMPARE(none.count() + seam.count(), 0);
    }
};

DVD_TEST_MAIN(TestPrinter)
#include "tst_printer.moc"
