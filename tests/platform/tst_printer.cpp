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
    static const QRegularExpression box(QStringLiteral("/MediaBox\\s*\\[\\s*([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)\\s+([-\\d.]+)"));
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
    void namesAndDefaultComeFromTheSeam() {
        {
            PdfSeam seam({"Laser", "Inkoust"}, "Inkoust", dir.path());
            QCOMPARE(printer::PrinterNames(), QStringList({"Laser", "Inkoust"}));
            QCOMPARE(printer::DefaultPrinterName(), QString("Inkoust"));
            {
                PdfSeam none({}, "Laser", dir.path());
                QVERIFY(printer::PrinterNames().isEmpty());
                QCOMPARE(printer::DefaultPrinterName(), QString());
            }
            // the outer seam is back
            QCOMPARE(printer::PrinterNames().size(), 2);
        }
    }

    void jobPicksNamedDefaultOrFirstPrinter() {
        PdfSeam seam({"Laser", "Inkoust"}, "Inkoust", dir.path());
        QCOMPARE(PrintJob("Laser").DeviceName(), QString("Laser"));
        QCOMPARE(PrintJob("laser").DeviceName(), QString("Inkoust")); // names compare exactly
        QCOMPARE(PrintJob("Zmizelá").DeviceName(), QString("Inkoust"));
        QCOMPARE(PrintJob().DeviceName(), QString("Inkoust"));

        PdfSeam noDefault({"Laser", "Inkoust"}, "", dir.path());
        QCOMPARE(PrintJob("Zmizelá").DeviceName(), QString("Laser"));
    }

    void landscapePictureMakesOneLandscapePage() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        PrintJob job("Laser");
        job.setOrientation(printer::vbPRORLandscape);
        QVERIFY(job.PaintPicture(redPicture(), 10, 10, 15600, 10480));
        QVERIFY(job.EndDoc());
        QCOMPARE(job.Pages(), 1);

        QCOMPARE(seam.count(), 1);
        const PdfSeam::Document& doc = seam.last();
        QCOMPARE(doc.deviceName, QString("Laser"));
        QCOMPARE(doc.orientation, int(printer::vbPRORLandscape));
        QCOMPARE(doc.pictures, QList<QRect>({QRect(10, 10, 15600, 10480)}));
        QVERIFY(doc.ended);

        const PdfFacts pdf = readPdf(doc.pdfPath);
        QCOMPARE(pdf.pages, 1);
        QCOMPARE(pdf.images, 1);
        QVERIFY2(pdf.mediaBox.width() > pdf.mediaBox.height(), "the page is not landscape");
        QCOMPARE(qRound(pdf.mediaBox.width()), 842); // A4 across
    }

    void orientationIsFixedOnceDrawingStarted() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        PrintJob job;
        QVERIFY(job.PaintPicture(redPicture(), 0, 0, 1440, 1440));
        job.setOrientation(printer::vbPRORLandscape);
        QCOMPARE(job.Orientation(), int(printer::vbPRORPortrait));
        QVERIFY(job.EndDoc());
        const PdfFacts pdf = readPdf(seam.last().pdfPath);
        QVERIFY(pdf.mediaBox.height() > pdf.mediaBox.width());
        QCOMPARE(pdf.pages, 1);
    }

    void eachDocumentIsAFileOfItsOwn() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        PrintJob job;
        QVERIFY(job.PaintPicture(redPicture(), 10, 10, 2000, 1000));
        QVERIFY(job.PaintPicture(redPicture(8, 8), 3000, 10, 1000, 1000));
        QVERIFY(job.EndDoc());
        QVERIFY(job.PaintPicture(redPicture(), 10, 10, 2000, 1000));
        QVERIFY(job.EndDoc());
        QCOMPARE(seam.count(), 2);
        QCOMPARE(seam.documents()[0].pictures.size(), 2);
        QCOMPARE(seam.documents()[1].pictures.size(), 1);
        QVERIFY(seam.documents()[0].pdfPath != seam.documents()[1].pdfPath);
        QCOMPARE(readPdf(seam.documents()[0].pdfPath).images, 2);
        QCOMPARE(readPdf(seam.documents()[1].pdfPath).pages, 1);
    }

    void nothingDrawnSendsNothing() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        PrintJob job;
        QVERIFY(job.EndDoc());
        QCOMPARE(job.Pages(), 0);
        QVERIFY(!job.PaintPicture(QImage(), 0, 0, 100, 100));
        QVERIFY(!job.PaintPicture(dir.filePath("missing.jpg"), 0, 0, 100, 100));
        QVERIFY(!job.ErrorText().isEmpty());
        QVERIFY(job.EndDoc());
        QCOMPARE(seam.count(), 0);
    }

    void anUnendedDocumentIsSentWhenTheJobGoes() {
        PdfSeam seam({"Laser"}, "Laser", dir.path());
        {
            PrintJob job;
            QVERIFY(job.PaintPicture(redPicture(), 10, 10, 1440, 1440));
            QCOMPARE(seam.count(), 0);
        }
        QCOMPARE(seam.count(), 1);
        QCOMPARE(readPdf(seam.last().pdfPath).pages, 1);
    }

    void noPrinterAtAllFailsWithAReason() {
        PdfSeam seam({}, "", dir.path());
        PrintJob job("Laser");
        QCOMPARE(job.DeviceName(), QString());
        QVERIFY(!job.PaintPicture(redPicture(), 10, 10, 1440, 1440));
        QCOMPARE(job.ErrorText(), QString("Není nainstalována žádná tiskárna."));
        QVERIFY(job.EndDoc());
        QCOMPARE(seam.count(), 0);
    }

    void unwritableOutputFailsWithoutThrowing() {
        PdfSeam seam({"Laser"}, "Laser", dir.filePath("no/such/folder"));
        PrintJob job;
        QVERIFY(!job.PaintPicture(redPicture(), 10, 10, 1440, 1440));
        QVERIFY(job.ErrorText().contains("Laser"));
    }
};

DVD_TEST_MAIN(TestPrinter)
#include "tst_printer.moc"
