#include "download.h"

#include "codepage.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

namespace {

constexpr int kDefaultTimeout = 30000;
int g_timeout = kDefaultTimeout;

// The address as the Windows call saw it: ANSI text, with what is not ASCII
// percent-encoded by its windows-1250 byte (a character the code page lacks
// became "?"). Blanks and other unsafe ASCII are escaped by QUrl.
QUrl toUrl(const QString& url) {
    QByteArray ascii;
    ascii.reserve(url.size());
    const QByteArray bytes = cp1250::fromUnicode(url.trimmed());
    for (char c : bytes) {
        const uchar b = uchar(c);
        if (b < 0x80) {
            ascii.append(c);
        } else {
            ascii.append('%');
            ascii.append(QByteArray::number(b, 16).toUpper());
        }
    }
    return QUrl::fromEncoded(ascii, QUrl::TolerantMode);
}

bool copyLocalFile(const QString& source, const QString& file) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;
    char buf[65536];
    for (;;) {
        const qint64 n = in.read(buf, sizeof buf);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0) break;
        if (out.write(buf, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}

} // namespace

int DownloadTimeout() { return g_timeout; }

void SetDownloadTimeout(int ms) { g_timeout = ms > 0 ? ms : kDefaultTimeout; }

bool URLDownloadToFile(const QString& url, const QString& file) {
    if (file.isEmpty()) return false;
    // A local file by address is a plain copy; its name is not code-page text.
    if (url.trimmed().startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl local(url.trimmed());
        if (!local.isLocalFile()) return false;
        return copyLocalFile(local.toLocalFile(), file);
    }

    const QUrl address = toUrl(url);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || address.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly)) return false;

    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    // The Windows call followed every redirect, also from https to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setTransferTimeout(g_timeout);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/5.0 (compatible; ZorvDVD)"));

    QNetworkReply* reply = manager.get(request);
    bool writeFailed = false;
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl& to) {
        const QString s = to.scheme().toLower();
        if (s == QLatin1String("http") || s == QLatin1String("https")) emit reply->redirectAllowed();
        else reply->abort();
    });
    // Only the final response's body reaches readyRead: bodies of redirects are skipped.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [&] {
        const QByteArray chunk = reply->readAll();
        if (!writeFailed && out.write(chunk) != chunk.size()) {
            writeFailed = true;
            reply->abort();
        }
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);

    const QByteArray rest = reply->readAll();
    if (!rest.isEmpty() && out.write(rest) != rest.size()) writeFailed = true;

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool ok = !writeFailed && reply->error() == QNetworkReply::NoError && status.isValid() &&
                    status.toInt() >= 200 && status.toInt() < 300;
    delete reply;
    if (!ok) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
