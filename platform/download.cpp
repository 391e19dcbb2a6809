#include "download.h"

#include "codepage.h"
#include "savefile.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace {

constexpr int kDefaultTimeout = 30000;
constexpr int kMaxRedirects = 20;
int g_timeout = kDefaultTimeout;
int g_timeLimit = 0; // 0: the limits of the kinds
// Transfers under way, innermost last: a nested wait can start another.
QList<QNetworkReply*> g_running;
constexpr qint64 kDefaultSizeLimit = qint64(64) * 1024 * 1024;
qint64 g_sizeLimit = kDefaultSizeLimit;
// What the network side may hold for us before it stops reading: without a
// bound it reads ahead of the file for as long as the server sends.
constexpr qint64 kReadAhead = 256 * 1024;

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

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace

int DownloadTimeout() {
    return g_timeout;
}

void SetDownloadTimeout(int ms) {
    g_timeout = ms > 0 ? ms : kDefaultTimeout;
}

qint64 DownloadSizeLimit() {
    return g_sizeLimit;
}

void SetDownloadSizeLimit(qint64 bytes) {
    g_sizeLimit = bytes > 0 ? bytes : kDefaultSizeLimit;
}

int DownloadTimeLimit(Transfer kind) {
    if (g_timeLimit > 0) return g_timeLimit;
    switch (kind) {
    case Transfer::Page:
        return 60000;
    case Transfer::Picture:
        return 120000;
    case Transfer::VersionCheck:
        return 8000;
    }
    return 60000;
}

void AbortDownloads() {
    for (QNetworkReply* reply : std::as_const(g_running))
        reply->abort();
}

void SetDownloadTimeLimit(int ms) {
    g_timeLimit = qMax(ms, 0);
}

bool URLDownloadToFile(const QString& url, const QString& file, Transfer kind) {
    if (file.isEmpty()) return false;
    // A local file by address is a plain copy; its name is not code-page text.
    if (url.trimmed().startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl local(url.trimmed());
        if (!local.isLocalFile()) return false;
        return CopyWholeFile(local.toLocalFile(), file);
    }

    QUrl address = toUrl(url);
    if (!isWebAddress(address)) return false;

    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;

    QNetworkAccessManager manager;
    // One limit over every hop: a server that drips or redirects without end
    // gets no more time than one that answers nothing.
    const QDeadlineTimer deadline(DownloadTimeLimit(kind));
    bool ok = false;
    qint64 written = 0;
    // Redirects are followed here rather than by Qt, whose own following lost
    // the answer after the second hop; any http or https target is taken, as
    // the Windows call took it.
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
        QNetworkRequest request(address);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        request.setTransferTimeout(g_timeout);
        request.setHeader(QNetworkRequest::UserAgentHeader,
                          QStringLiteral("Mozilla/5.0 (compatible; ZorvDVD)"));

        std::unique_ptr<QNetworkReply> reply(manager.get(request));
        reply->setReadBufferSize(kReadAhead);
        const auto status = [&reply] {
            return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        };
        const auto isRedirect = [&] { return status() / 100 == 3 && reply->hasRawHeader("Location"); };
        bool failed = false;
        const auto take = [&] {
            const QByteArray chunk = reply->readAll();
            if (isRedirect() || failed || chunk.isEmpty()) return;
            // An endless body would otherwise keep the caller waiting for ever.
            written += chunk.size();
            if (written > g_sizeLimit || out.write(chunk) != chunk.size()) {
                failed = true;
                reply->abort();
            }
        };
        QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), take);
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(qMax<qint64>(deadline.remainingTime(), 0), reply.get(), [&failed, &reply] {
            failed = true;
            reply->abort();
        });
        g_running.append(reply.get());
        if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
        g_running.removeOne(reply.get());
        if (reply->isOpen()) take();

        if (failed || reply->error() != QNetworkReply::NoError) break;
        if (isRedirect()) {
            const QUrl next =
                address.resolved(QUrl::fromEncoded(reply->rawHeader("Location"), QUrl::TolerantMode));
            if (!isWebAddress(next)) break;
            address = next;
            continue;
        }
        ok = status() >= 200 && status() < 300;
        break;
    }
    if (!ok) {
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
