#pragma once
// Shows a compiled help file (.chm) with the desktop's program for it (in
// place of HtmlHelp's table of contents).
#include <QList>
#include <QString>

// A window name after ">" ("napoveda.chm>Main") is dropped: the viewer has
// no named windows. False when the file is missing or nothing opened it.
bool HtmlHelpShow(const QString& chmPath);

namespace htmlhelp {

// Test seam: while a recorder lives, HtmlHelpShow logs the help file it would
// open (without the window name) and returns `result` instead of opening it.
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    const QList<QString>& files() const { return files_; }
    int count() const { return int(files_.size()); }
    const QString& last() const { return files_.last(); }
    void clear() { files_.clear(); }
    bool result = true;

private:
    friend bool ::HtmlHelpShow(const QString&);
    QList<QString> files_;
    Recorder* previous_;
};

} // namespace htmlhelp
