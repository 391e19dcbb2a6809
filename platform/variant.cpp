#include "variant.h"

#include "vb.h"

#include <cmath>

namespace ado {

namespace {

double parseCzechNumber(const QString& s, bool* ok) {
    double d = 0;
    *ok = vb::TryParseNumber(s, d);
    return d;
}

qint64 roundHalfEven(double v) {
    const double r = std::nearbyint(v); // the default rounding mode is to nearest, ties to even
    return qint64(r);
}

QDateTime parseDate(const QString& text) {
    return vb::TextToDate(text);
}

} // namespace

qint64 Variant::toLong() const {
    switch (type_) {
    case Null:
        return 0;
    case Long:
        return v_.toLongLong();
    case Boolean:
        return v_.toBool() ? -1 : 0;
    case Double:
        return roundHalfEven(v_.toDouble());
    case String: {
        bool ok = false;
        const double d = parseCzechNumber(v_.toString(), &ok);
        return ok ? roundHalfEven(d) : 0;
    }
    default:
        return 0;
    }
}

double Variant::toDouble() const {
    switch (type_) {
    case Long:
        return double(v_.toLongLong());
    case Double:
        return v_.toDouble();
    case Boolean:
        return v_.toBool() ? -1.0 : 0.0;
    case String: {
        bool ok = false;
        const double d = parseCzechNumber(v_.toString(), &ok);
        return ok ? d : 0.0;
    }
    default:
        return 0.0;
    }
}

bool Variant::toBool() const {
    if (type_ == String) {
        const QString s = v_.toString().trimmed();
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) return false;
    }
    return toDouble() != 0.0;
}

QString Variant::toString() const {
    switch (type_) {
    case Null:
        return QString();
    case Long:
        return QString::number(v_.toLongLong());
    case Boolean:
        return v_.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Double: {
        QString s = QString::number(v_.toDouble(), 'g', 15);
        s.replace(QLatin1Char('e'), QLatin1Char('E'));
        s.replace(QLatin1Char('.'), QLatin1Char(','));
        return s;
    }
    case String:
        return v_.toString();
    case Date:
        return vb::DateToText(v_.toDateTime());
    case Binary:
        return QString::fromLatin1(v_.toByteArray());
    }
    return QString();
}

QDateTime Variant::toDateTime() const {
    if (type_ == Date) return v_.toDateTime();
    if (type_ == String) return parseDate(v_.toString());
    return {};
}

QByteArray Variant::toBytes() const {
    if (type_ == Binary) return v_.toByteArray();
    return toString().toUtf8();
}

} // namespace ado
