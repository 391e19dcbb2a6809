#include "czcollate.h"

#include <QCryptographicHash>
#include <QStringList>

#include <algorithm>

namespace cz {

const QCollator& Collator() {
    // One per thread: a collator is not to be shared between threads.
    static thread_local const QCollator collator = [] {
        QCollator c(QLocale(QStringLiteral("cs_CZ")));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        c.compare(QStringLiteral("a"), QStringLiteral("b")); // set it up now, not inside a sort
        return c;
    }();
    return collator;
}

int Compare(QStringView a, QStringView b) {
    return Collator().compare(a, b);
}

int Fingerprint() {
    static const int value = [] {
        // Letters whose order differs between languages, case and accent
        // variants, digits and punctuation.
        QStringList sample = {
            QStringLiteral("Dech"),  QStringLiteral("čelisti"), QStringLiteral("Cesta"),
            QStringLiteral("CESTA"), QStringLiteral("Ivan"),    QStringLiteral("chata"),
            QStringLiteral("Had"),   QStringLiteral("Čtvrtek"), QStringLiteral("Řeka"),
            QStringLiteral("rak"),   QStringLiteral("Sova"),    QStringLiteral("šaty"),
            QStringLiteral("Zima"),  QStringLiteral("žena"),    QStringLiteral("éra"),
            QStringLiteral("Ěra"),   QStringLiteral("era"),     QStringLiteral("Úl"),
            QStringLiteral("ůl"),    QStringLiteral("Uhel"),    QStringLiteral("ďábel"),
            QStringLiteral("Dáma"),  QStringLiteral("ťuk"),     QStringLiteral("ňouma"),
            QStringLiteral("10"),    QStringLiteral("2"),       QStringLiteral("1"),
            QStringLiteral("a b"),   QStringLiteral("a-b"),     QStringLiteral("ab"),
            QStringLiteral("Ä"),     QStringLiteral("ő"),       QStringLiteral("Yvona"),
            QStringLiteral("ý"),     QStringLiteral("x"),       QStringLiteral(""),
        };
        std::stable_sort(sample.begin(), sample.end(),
                         [](const QString& a, const QString& b) { return Compare(a, b) < 0; });
        QByteArray text;
        for (qsizetype i = 0; i < sample.size(); ++i) {
            if (i > 0) {
                const int c = Compare(sample[i - 1], sample[i]);
                text += c < 0 ? '<' : (c == 0 ? '=' : '>');
            }
            text += sample[i].toUtf8();
        }
        const QByteArray md5 = QCryptographicHash::hash(text, QCryptographicHash::Md5);
        const quint32 v = (quint32(quint8(md5[0])) << 24) | (quint32(quint8(md5[1])) << 16) |
                          (quint32(quint8(md5[2])) << 8) | quint32(quint8(md5[3]));
        return int(v & 0x7fffffff) | 1;
    }();
    return value;
}

} // namespace cz
