#include "printer.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace printer {

namespace {

PdfSeam* g_seam = nullptr;

constexpr double kTwipsPerInch = 1440.0;

QString resolveDevice(const QString& wanted) {
    const QStringList names = PrinterNames();
    if (!wanted.isEmpty() && names.contains(wanted)) return wanted;
    const QString fallback = DefaultPrinterName();
    if (!fallback.isEmpty()) return fallback;
    // A system with printers but none marked default: the first one serves.
    return names.isEmpty() ? QString() : names.first();
}

} // namespace

QStringList PrinterNames() {
    if (g_seam) return g_seam->names();
    return QPrinterInfo::availablePrinterNames();
}

QString DefaultPrinterName() {
    if (g_seam) return g_seam->defaultName();
    return QPrinterInfo::defaultPrinterName();
}

PrintJob::PrintJob(const QString& deviceName) : device_(resolveDevice(deviceName)) {}

PrintJob::~PrintJob() {
    if (painter_) EndDoc();
}

void PrintJob::setOrientation(int orientation) {
    if (painter_) return;
    if (orientation == vbPRORPortrait || orientation == vbPRORLandscape) orientation_ = orientation;
}

bool PrintJob::begin() {
    if (painter_) return true;
    if (device_.isEmpty()) {
        error_ = QStringLiteral("Není nainstalována žádná tiskárna.");
        return false;
    }
    if (g_seam) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        pdfPath_ = g_seam->nextPdfPath();
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(pdfPath_);
        printer_->setPageSize(QPageSize(QPageSize::A4));
    } else {
        printer_ = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(device_), QPrinter::HighResolution);
    }
    printer_->setDocName(QStringLiteral("Zorv DVD Merva-lóna"));
    printer_->setPageOrientation(orientation_ == vbPRORLandscape ? QPageLayout::Landscape
                                                                 : QPageLayout::Portrait);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer_.get())) {
        error_ = QStringLiteral("Tiskárnu \"%1\" nelze otevřít.").arg(device_);
        printer_.reset();
        return false;
    }
    painter_ = std::move(painter);
    return true;
}

bool PrintJob::PaintPicture(const QImage& picture, int leftTwips, int topTwips, int widthTwips,
                            int heightTwips) {
    if (picture.isNull()) {
        error_ = QStringLiteral("Obrázek nelze načíst.");
        return false;
    }
    if (!begin()) return false;
    const double scale = printer_->resolution() / kTwipsPerInch;
    const QRectF target(leftTwips * scale, topTwips * scale, widthTwips * scale, heightTwips * scale);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform);
    painter_->drawImage(target, picture);
    pictures_.append(QRect(leftTwips, topTwips, widthTwips, heightTwips));
    return true;
}

bool PrintJob::PaintPicture(const QString& file, int leftTwips, int topTwips, int widthTwips,
                            int heightTwips) {
    return PaintPicture(QImage(file), leftTwips, topTwips, widthTwips, heightTwips);
}

bool PrintJob::EndDoc() {
    if (!painter_) return true;
    const bool ok = painter_->end();
    painter_.reset();
    printer_.reset();
    if (ok)
        pages_ = 1;
    else
        error_ = QStringLiteral("Dokument se nepodařilo odeslat na tiskárnu \"%1\".").arg(device_);
    if (g_seam) {
        PdfSeam::Document doc;
        doc.deviceName = device_;
        doc.orientation = orientation_;
        doc.pictures = pictures_;
        doc.pages = pages_;
        doc.pdfPath = pdfPath_;
        doc.ended = ok;
        g_seam->log(doc);
    }
    pictures_.clear();
    return ok;
}

PdfSeam::PdfSeam(const QStringList& names, const QString& defaultName, const QString& folder)
    : names_(names), default_(names.contains(defaultName) ? defaultName : QString()), folder_(folder),
      previous_(g_seam) {
    g_seam = this;
}

PdfSeam::~PdfSeam() {
    g_seam = previous_;
}

PdfSeam* PdfSeam::current() {
    return g_seam;
}

QString PdfSeam::nextPdfPath() {
    return QDir(folder_).filePath(QString::number(++made_) + QStringLiteral(".pdf"));
}

} // namespace printer
