#include "printing/mPrintHTM.h"

#include "core/mBlobDATA.h"
#include "core/mDatabase.h"

#include "ado.h"
#include "apppath.h"
#include "codepage.h"
#include "err.h"
#include "msgbox.h"
#include "savefile.h"
#include "vb.h"

#include <QFileInfo>
#include <QStringList>

QString HTMBuf;

namespace htm {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString lines(const QStringList& list) {
    QString out;
    for (const QString& line : list)
        out += line + kCrLf;
    return out;
}

const QString kHead1 = QStringLiteral(R"x(<html><head>)x");
const QString kHead2 = QStringLiteral(R"x(<meta http-equiv="Content-Language" content="cs">)x");
const QString kHead3 =
    QStringLiteral(R"x(<meta http-equiv="Content-Type" content="text/html; charset=windows-1250">)x");
} // namespace

const QString kHlavickaSeznam = lines({
    kHead1,
    kHead2,
    kHead3,
    QStringLiteral(
        R"x(<title>DVD</title></head><body><p><b><font size="6">Seznam filmových disků</font></b></p>)x"),
    QStringLiteral(
        R"x(<table border="0" cellpadding="0" cellspacing="0" style="" width="100%" id="AutoNumber1">)x"),
    QStringLiteral(R"x(<tr><td bgcolor="#CCCCCC">&nbsp;<b>Název</b></td>)x"),
    QStringLiteral(R"x(<td bgcolor="#CCCCCC">&nbsp;<b>Žánr</b></td>)x"),
    QStringLiteral(R"x(<td bgcolor="#CCCCCC">&nbsp;<b>Zvuk / titulky</b></td>)x"),
    QStringLiteral(R"x(<td bgcolor="#CCCCCC">&nbsp;<b>Kat. číslo</b></td></tr>)x"),
});

// Opens no table: each film block is a table of its own.
const QString kHlavickaPodrobne = lines({
    kHead1,
    kHead2,
    kHead3,
    QStringLiteral(R"x(<title>DVD</title></head><body><p><b><font size="6">Seznam DVD</font></b></p>)x"),
});

const QString kRadekSeznam = lines({
    QStringLiteral(
        R"x(<tr><td>&nbsp;%%1%%</td><td>&nbsp;%%2%%</td><td>&nbsp;%%3%%</td><td>&nbsp;%%4%%</td></tr>)x"),
});

// The last line has no line break: the next block follows on the same line.
const QString kBlokPodrobne =
    lines({
        QStringLiteral(
            R"x(<table border="0" cellpadding="0" cellspacing="0" style="border-collapse: collapse" )x"
            R"x(bordercolor="#111111" width="100%" id="AutoNumber1">)x"),
        QStringLiteral(R"x(<tr><td width="100%" style="font-size: 14pt; font-weight: bold">%%1%%</td>)x"),
        QStringLiteral(R"x(</tr><tr><td width="100%" style="font-size: 10px;"><strong>Žánr: </strong>%%2%%)x"
                       R"x(&nbsp;&nbsp;&nbsp;<strong>Délka: </strong>%%3%%&nbsp;&nbsp;&nbsp;<strong>Stát: )x"
                       R"x(</strong>%%4%%&nbsp;&nbsp;&nbsp;<strong>Rok: </strong> %%5%%&nbsp;&nbsp;&nbsp;)x"
                       R"x(<strong>Zvuk: </strong>%%6%%</td>)x"),
    }) +
    QStringLiteral(R"x(</tr><tr><td width="100%" style="border-top:1px solid #000000; border-bottom:1px )x"
                   R"x(solid #000000; font-size: 12pt; border-left-width:1; border-right-width:1">%%%PIC%%%)x"
                   R"x(&nbsp;&nbsp; %%7%%</td></tr><tr><td width="100%" style="font-size: 10px;"><strong>)x"
                   R"x(Herci: </strong>%%8%%</td></tr></table><br>)x");

// The detailed page ends with it too, though its header opens no table.
const QString kPaticka = QStringLiteral("</table></body></html>");

QString PicTag(const QString& fileName) {
    return QStringLiteral(R"x(<img border="0" src=")x") + fileName.toHtmlEscaped() +
           QStringLiteral(R"x("  width="60" height="93" style="float: left">)x");
}

QString FieldText(const QString& value) {
    const qsizetype n = value.size();
    qsizetype i = 0;
    // Most values are plain: hand them back untouched.
    for (; i < n; ++i) {
        const char16_t c = value[i].unicode();
        if (c >= 0x80 || c == u'<' || c == u'>') break;
    }
    if (i == n) return value;

    QString out = value.left(i);
    out.reserve(n + 16);
    for (; i < n; ++i) {
        const QChar c = value[i];
        if (c == u'<') {
            out += QStringLiteral("&lt;");
            continue;
        }
        if (c == u'>') {
            out += QStringLiteral("&gt;");
            continue;
        }
        uchar byte;
        if (cp1250::fromUnicode(c, &byte)) {
            out += c;
            continue;
        }
        char32_t cp = c.unicode();
        if (c.isHighSurrogate() && i + 1 < n && value[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, value[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            cp = QChar::ReplacementCharacter; // half a pair is no character
        }
        out += QStringLiteral("&#") + QString::number(uint(cp)) + u';';
    }
    return out;
}

QByteArray PageBytes(const QString& page) {
    return cp1250::fromUnicodeHtml(page);
}

bool WritePage(const QString& path, const QString& page, QString* error) {
    return WriteWholeFile(path, PageBytes(page), error);
}

QString PagePath() {
    return DataPath() + QStringLiteral("test.htm");
}

} // namespace htm

void PrintHTMSeznam(const QString& CZJm, const QString& Zanr, const QString& Jazyk, const QString& KatCisl) {
    using htm::FieldText;
    // In ascending order, each on the text the previous step left.
    QString row = htm::kRadekSeznam;
    row.replace(QStringLiteral("%%1%%"), FieldText(CZJm));
    row.replace(QStringLiteral("%%2%%"), FieldText(Zanr));
    row.replace(QStringLiteral("%%3%%"), FieldText(Jazyk));
    row.replace(QStringLiteral("%%4%%"), FieldText(KatCisl));
    HTMBuf += row;
}

void PrintHTMPodrobne(const QString& CZJm, const QString& Zanr, const QString& Delka, const QString& Stat,
                      const QString& Rok, const QString& Jazyk, const QString& Obsah, const QString& Herci,
                      const QString& KatCisl, const QString& PicFile) {
    using htm::FieldText;
    QString block = htm::kBlokPodrobne;
    block.replace(QStringLiteral("%%1%%"),
                  FieldText(CZJm) + QStringLiteral("  (") + FieldText(KatCisl) + u')');
    block.replace(QStringLiteral("%%2%%"), FieldText(Zanr));
    block.replace(QStringLiteral("%%3%%"), FieldText(Delka));
    block.replace(QStringLiteral("%%4%%"), FieldText(Stat));
    block.replace(QStringLiteral("%%5%%"), FieldText(Rok));
    block.replace(QStringLiteral("%%6%%"), FieldText(Jazyk));
    block.replace(QStringLiteral("%%7%%"), FieldText(Obsah));
    block.replace(QStringLiteral("%%8%%"), FieldText(Herci));
    block.replace(QStringLiteral("%%%PIC%%%"), PicFile.isEmpty() ? QString() : htm::PicTag(PicFile));
    HTMBuf += block;
}

QString GetPicNahled(qint32 PicID) {
    ErrState err;
    ado::Connection cn;
    ado::Recordset rs;
    QString name;
    Step(err, [&] { cn.Open(PicturesConnString()); });
    if (!err.isSet())
        Step(err, [&] {
            rs.Open(QStringLiteral("SELECT * FROM tPicture where PicID=") + QString::number(PicID), cn,
                    ado::adOpenKeyset, ado::adLockPessimistic);
        });
    if (err.isSet()) {
        // The store's own error (a missing file, a wrong password) says most.
        MsgBox(err.Description, vb::vbOKOnly);
    } else {
        // A PicID the store does not hold prints the film without a picture.
        Step(err, [&] {
            if (rs.Eof()) return;
            const QString typ = vb::LCase(NullToStr(rs(QStringLiteral("PicTyp")).Value()));
            const QString exported =
                BlobToExportFile(rs, QStringLiteral("PicDat"), QStringLiteral("PicSize"), typ, PicID);
            // An empty picture leaves no file: the page would show a broken one.
            if (QFileInfo::exists(DataPath() + exported)) name = exported;
        });
    }
    if (rs.State() == ado::adStateOpen) Step(err, [&] { rs.Close(); });
    if (cn.State() == ado::adStateOpen) Step(err, [&] { cn.Close(); });
    return name;
}
