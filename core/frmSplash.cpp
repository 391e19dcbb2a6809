#include "core/frmSplash.h"

#include "core/Main.h"

#include "twips.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTimer>

const QString kMakerWeb = QStringLiteral("www.zorv-software.example");

namespace {

constexpr int kWidth = 7200; // twips
constexpr int kHeight = 4050;

// The background: a night-blue field with a disc catching the light.
QPixmap splashPicture(const QSize& size) {
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(16, 28, 64));
    sky.setColorAt(1, QColor(4, 8, 24));
    p.fillRect(pm.rect(), sky);

    // the disc, partly off the left edge
    const QPointF c(size.width() * 0.19, size.height() * 0.55);
    const qreal r = size.height() * 0.36;
    QConicalGradient shine(c, 30);
    const QColor rainbow[] = {QColor(200, 200, 215), QColor(120, 200, 255), QColor(190, 130, 255),
                              QColor(255, 140, 190), QColor(255, 230, 140), QColor(150, 255, 190),
                              QColor(200, 200, 215)};
    for (int i = 0; i < 7; ++i)
        shine.setColorAt(i / 6.0, rainbow[i]);
    QPainterPath disc;
    disc.addEllipse(c, r, r);
    disc.addEllipse(c, r * 0.16, r * 0.16); // the hole
    p.setPen(QPen(QColor(230, 230, 240), 1.5));
    p.setBrush(shine);
    p.drawPath(disc);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    for (qreal k : {0.30, 0.34, 0.95})
        p.drawEllipse(c, r * k, r * k);

    // a thin line under the title area
    p.setPen(QPen(QColor(120, 170, 255, 160), 2));
    p.drawLine(QPointF(size.width() * 0.46, size.height() * 0.52),
               QPointF(size.width() * 0.955, size.height() * 0.52));
    return pm;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h,
                  int pointSize, bool bold, const QColor& colour) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(TwipsToPixels(x), TwipsToPixels(y), TwipsToPixels(w), TwipsToPixels(h));
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

} // namespace

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    const QSize size(TwipsToPixels(kWidth), TwipsToPixels(kHeight));
    setFixedSize(size);

    imgLogo = new QLabel(this);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(0, 0, size.width(), size.height());
    imgLogo->setPixmap(splashPicture(size));

    const QColor white(240, 244, 255);
    lblCompany =
        makeLabel(this, "lblCompany", QStringLiteral("Zorv"), 3150, 400, 3750, 450, 14, false, white);
    lblProductName = makeLabel(this, "lblProductName", QStringLiteral("DVD Merva-lóna"), 3150, 1100, 3750,
                               800, 20, true, white);
    lblVersion = makeLabel(this, "lblVersion", QString(), 3150, 2250, 3750, 400, 11, false, white);
    lblWeb = makeLabel(this, "lblWeb", kMakerWeb, 3150, 3350, 3750, 350, 9, false, QColor(150, 190, 255));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(5000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);

    Form_Load();
}

void frmSplash::Form_Load() {
    lblVersion->setText(QStringLiteral("Version ") + VersionText());
    Timer1->start();
}

void frmSplash::Timer1_Timer() {
    close();
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
    // Any key that types a character (Enter and Esc included); Shift alone does not.
    if (!event->text().isEmpty())
        close();
    else
        event->ignore();
}
