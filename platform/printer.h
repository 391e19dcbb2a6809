#pragma once
// The printers of the system and one print job on one of them, in place of
// the Printers collection and the Printer object: device names, landscape,
// a picture drawn at a position and size in twips, EndDoc.
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include <memory>

class QPainter;
class QPrinter;

namespace printer {

enum Orientation : int { vbPRORPortrait = 1, vbPRORLandscape = 2 };

// Device names of the installed printers, in the order the system lists them.
QStringList PrinterNames();
// The system's default printer; "" when it has none.
QString DefaultPrinterName();

// One document on one printer. Positions and sizes are twips from the
// top-left corner of the printable area, as the Printer object's default
// scale. The first drawing starts the document; EndDoc sends it.
class PrintJob {
public:
    // An unknown or empty name takes the default printer.
    explicit PrintJob(const QString& deviceName = QString());
    ~PrintJob(); // a document not ended is sent, as the Printer object did at exit
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // The printer the job goes to; "" when the system has no printer at all.
    QString DeviceName() const { return device_; }

    int Orientation() const { return orientation_; }
    // Only before the first drawing; later it is ignored as on the page under way.
    void setOrientation(int orientation);

    // False when the picture is empty or the printer cannot be opened
    // (ErrorText() then says why).
    bool PaintPicture(const QImage& picture, int leftTwips, int topTwips, int widthTwips, int heightTwips);
    bool PaintPicture(const QString& file, int leftTwips, int topTwips, int widthTwips, int heightTwips);

    // Ends the document and sends its pages; nothing drawn sends nothing.
    // False when sending failed.
    bool EndDoc();

    int Pages() const { return pages_; }
    QString ErrorText() const { return error_; }

private:
    bool begin();

    QString device_;
    int orientation_ = vbPRORPortrait;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    QList<QRect> pictures_; // twips, as drawn
    int pages_ = 0;
    QString error_;
    QString pdfPath_;
};

// Test seam: while it lives, the system's printers are the given names and
// every document goes into a PDF file of its own in `folder` ("1.pdf",
// "2.pdf", ...), logged with what was asked of it. No real printer is used.
class PdfSeam {
public:
    struct Document {
        QString deviceName;
        int orientation = vbPRORPortrait;
        QList<QRect> pictures; // twips, as given to PaintPicture
        int pages = 0;
        QString pdfPath;
        bool ended = false;
    };

    // defaultName: the system's default (taken from `names` when it is one
    // of them, else there is no default).
    PdfSeam(const QStringList& names, const QString& defaultName, const QString& folder);
    ~PdfSeam();
    PdfSeam(const PdfSeam&) = delete;
    PdfSeam& operator=(const PdfSeam&) = delete;

    const QList<Document>& documents() const { return documents_; }
    int count() const { return int(documents_.size()); }
    const Document& last() const { return documents_.last(); }

    // Called by the layer.
    static PdfSeam* current();
    QStringList names() const { return names_; }
    QString defaultName() const { return default_; }
    QString nextPdfPath();
    void log(const Document& document) { documents_.append(document); }

private:
    QStringList names_;
    QString default_;
    QString folder_;
    int made_ = 0;
    QList<Document> documents_;
    PdfSeam* previous_;
};

} // namespace printer
