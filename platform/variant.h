#pragma once
// A field value as the original program saw it: Null, a number, a text, a
// date or bytes.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace ado {

class Variant {
public:
    enum Type { Null, Long, Double, Boolean, String, Date, Binary };

    Variant() = default; // Null
    Variant(int v) : type_(Long), v_(qint64(v)) {}
    Variant(long v) : type_(Long), v_(qint64(v)) {}
    Variant(long long v) : type_(Long), v_(qint64(v)) {}
    Variant(double v) : type_(Double), v_(v) {}
    Variant(bool v) : type_(Boolean), v_(v) {}
    Variant(const QString& v) : type_(String), v_(v) {}
    Variant(const char* v) : type_(String), v_(QString::fromUtf8(v)) {}
    Variant(const QDateTime& v) : type_(Date), v_(v) {}
    explicit Variant(const QByteArray& v) : type_(Binary), v_(v) {}

    static Variant null() { return Variant(); }

    Type type() const { return type_; }
    bool isNull() const { return type_ == Null; }
    bool isNumeric() const { return type_ == Long || type_ == Double || type_ == Boolean; }

    // Lenient conversions: Null gives 0 / "" / an invalid date. Texts convert by
    // the Czech number rules (decimal comma, a point accepted too). Use the vb
    // functions where the original raised an error on Null or a bad text.
    qint64 toLong() const;
    double toDouble() const;
    bool toBool() const;
    QString toString() const; // dates as "8.12.2026 19:03:23", numbers with a decimal comma
    QDateTime toDateTime() const;
    QByteArray toBytes() const;

    const QVariant& raw() const { return v_; }

    bool operator==(const Variant& o) const { return type_ == o.type_ && v_ == o.v_; }
    bool operator!=(const Variant& o) const { return !(*this == o); }

private:
    Type type_ = Null;
    QVariant v_;
};

} // namespace ado
