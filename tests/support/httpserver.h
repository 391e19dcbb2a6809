#pragma once
// A loopback HTTP/1.1 server for the tests: serves bytes or fixture files by
// path, chosen statuses, redirects, stalls and endless bodies, and records
// every request.
// Runs on the thread that creates it; a client blocking in a local event loop
// on the same thread is served all the same.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>

class QTcpServer;
class QTcpSocket;

namespace testsupport {

class HttpServer : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method; // "GET", "POST"
        QString target;    // as sent: path and query
        QString path;      // as sent, still percent-encoded
        QString query;     // as sent, without the "?"; empty when none
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // Value of a header, name compared without regard to case.
        QByteArray header(const QByteArray& name) const;
    };

    enum class Stall {
        None,
        Silent,       // read the request, answer nothing
        AfterHeaders, // send the status line and headers, then nothing
        HalfBody,     // send the headers and half of the body, then nothing
    };

    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/html";
        QList<QPair<QByteArray, QByteArray>> headers; // extra headers
        Stall stall = Stall::None;
        int trickleMs = 0;    // > 0: send the body in pieces, one every trickleMs
        int trickleBytes = 1; // size of a piece
        int delayMs = 0;      // > 0: answer only after that long, as a slow site does
        // The body sent over and over without end (no length given), each
        // time the network has taken the last: as fast as the client reads.
        bool endless = false;
    };
    using Handler = std::function<Response(const Request&)>;

    // Listens on 127.0.0.1 at a free port at once.
    explicit HttpServer(QObject* parent = nullptr);
    ~HttpServer() override;

    quint16 port() const;
    // "http://127.0.0.1:<port>", no closing "/".
    QString baseUrl() const;
    // baseUrl() + path
    QString url(const QString& path) const;

    // A route is the path as sent ("/a/b.php"), or the path with its query
    // ("/a/b.php?id=1"), which wins over the bare path. Unknown paths get 404.
    void route(const QString& path, const QByteArray& body, const QByteArray& contentType = "text/html",
               int status = 200);
    void route(const QString& path, const Response& response);
    void route(const QString& path, Handler handler);
    // Serves a file's bytes; the content type follows the extension.
    // Returns false when the file cannot be read.
    bool routeFile(const QString& path, const QString& file, const QByteArray& contentType = {});
    void redirect(const QString& path, const QString& location, int status = 302);
    void stall(const QString& path, Stall mode, const QByteArray& body = "stalled");
    void removeRoute(const QString& path);

    // Every request in order of arrival, also those that were answered 404.
    QList<Request> requests() const { return requests_; }
    QList<Request> requests(const QString& path) const; // those to one path
    int requestCount() const { return int(requests_.size()); }
    void clearRequests() { requests_.clear(); }
    // Bytes of bodies handed to the network so far; may be read from another thread.
    qint64 bodyBytesSent() const { return bodyBytesSent_.load(); }

    static QByteArray contentTypeFor(const QString& fileName);

signals:
    void requestReceived(const testsupport::HttpServer::Request& request);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const Request& request);
    void send(QTcpSocket* socket, const Response& r, bool noBody);
    Handler find(const Request& request) const;

    QTcpServer* server_;
    QHash<QString, Handler> routes_;
    QList<Request> requests_;
    QHash<QTcpSocket*, QByteArray> buffers_;
    std::atomic<qint64> bodyBytesSent_{0};
};

} // namespace testsupport
