#pragma once
// The open and save file dialogs (in place of GetOpenFileName/GetSaveFileName).
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// `filter` in the Windows forms: "JPEG Obrazek (*.jpg)" + NUL + "*.jpg" + NUL,
// or "JPEG Obrazek (*.jpg)|*.jpg" (pairs of name and patterns, patterns
// separated by ";"), or a Qt filter as is. A start folder that does not exist
// starts in the home folder. `defaultExt` ("jpg", no dot) is added to a name
// typed without an extension. A typed name is taken as typed, whether or not
// the file exists. Returns the full path with blanks trimmed at both ends, or
// "" when cancelled.
QString GetOpenFileName(const QString& title, const QString& filter, const QString& startDir,
                        const QString& defaultExt = QString(), QWidget* owner = nullptr);
// As above for a file to write; an existing file is not asked about.
QString GetSaveFileName(const QString& title, const QString& filter, const QString& startDir,
                        const QString& defaultExt = QString(), QWidget* owner = nullptr);

// The Windows filter as Qt name filters ("JPEG Obrazek (*.jpg)").
QStringList QtNameFilters(const QString& windowsFilter);

namespace filedialogs {

enum class Kind { Open, Save };

struct Request {
    Kind kind;
    QString title;
    QString filter; // as passed
    QString startDir;
    QString defaultExt;
    QString answer; // what the dialog returned
};

// Test seam: while it lives, the dialogs are not shown; each call takes the
// next scripted answer (a path, or "" for a cancel; "" when the script is
// empty) and is logged with what it was asked.
class Script {
public:
    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    void answer(const QString& path) { answers_.append(path); }
    void cancel() { answers_.append(QString()); }
    const QList<Request>& requests() const { return requests_; }
    int count() const { return int(requests_.size()); }
    const Request& last() const { return requests_.last(); }

    // Called by the dialogs: logs the request and gives its answer.
    QString respond(Kind kind, const QString& title, const QString& filter, const QString& startDir,
                    const QString& defaultExt);

private:
    QList<QString> answers_;
    QList<Request> requests_;
    Script* previous_;
};

} // namespace filedialogs
