#pragma once
// Opens a file or an address with the desktop's default program (in place of
// ShellExecute "open").
#include <QList>
#include <QString>
#include <QUrl>

// A local path (absolute or relative to the current folder) opens as a file;
// a text with a scheme ("https://", "mailto:") as that address; a bare host
// ("www.example.cz") as a web address. True when the desktop took it.
bool ShellOpen(const QString& fileOrUrl);

// What ShellOpen hands to the desktop for a text.
QUrl ShellUrl(const QString& fileOrUrl);

namespace shell {

struct Call {
    QString target; // as passed
    QUrl url;       // as it would be opened
};

// Test seam: while a recorder lives, ShellOpen logs the call and returns
// `result` instead of opening anything.
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    const QList<Call>& calls() const { return calls_; }
    int count() const { return int(calls_.size()); }
    const Call& last() const { return calls_.last(); }
    void clear() { calls_.clear(); }
    bool result = true;

private:
    friend bool ::ShellOpen(const QString&);
    QList<Call> calls_;
    Recorder* previous_;
};

} // namespace shell
