#pragma once
// Run-time errors in the style of the original program: a number and a
// description, and the "skip a failing step, go on with the next" handling.
#include <QString>
#include <exception>
#include <utility>

namespace vb {

// Base of every error a layer raises (ado::Error derives from it).
class RuntimeError : public std::exception {
public:
    RuntimeError(long number, QString description)
        : number_(number), description_(std::move(description)), what_(description_.toUtf8()) {}
    long number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    long number_;
    QString description_;
    QByteArray what_;
};

// Well-known VB error numbers.
enum ErrNumber : long {
    ErrOverflow = 6,
    ErrTypeMismatch = 13,
    ErrFileNotFound = 53,
    ErrInvalidUseOfNull = 94,
    ErrGeneric = 5, // "Invalid procedure call or argument"
};

} // namespace vb

// The pending error of a procedure ("Err" object).
struct ErrState {
    long Number = 0;
    QString Description;
    void Clear() {
        Number = 0;
        Description.clear();
    }
    bool isSet() const { return Number != 0; }
    void raise(long number, const QString& description) {
        Number = number;
        Description = description;
    }
};

// Runs one step; an error it raises is kept in `err` and the caller goes on
// with its next step. Returns true when the step completed.
template <class F> bool Step(ErrState& err, F&& step) {
    try {
        std::forward<F>(step)();
        return true;
    } catch (const vb::RuntimeError& e) {
        err.raise(e.number() ? e.number() : vb::ErrGeneric, e.description());
    } catch (const std::exception& e) {
        err.raise(vb::ErrGeneric, QString::fromUtf8(e.what()));
    }
    return false;
}
