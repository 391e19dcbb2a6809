#include "httpserver.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace testsupport {

namespace {

QByteArray reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

QByteArray head(const HttpServer::Response& r, bool withLength) {
    QByteArray h = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reasonPhrase(r.status) + "\r\n";
    if (!r.contentType.isEmpty()) h += "Content-Type: " + r.contentType + "\r\n";
    if (withLength) h += "Content-Length: " + QByteArray::number(r.body.size()) + "\r\n";
    for (const auto& [name, value] : r.headers)
        h += name + ": " + value + "\r\n";
    h += "Connection: close\r\n\r\n";
    return h;
}

} // namespace

QByteArray HttpServer::Request::header(const QByteArray& name) const {
    for (const auto& [n, v] : headers)
        if (n.compare(name, Qt::CaseInsensitive) == 0) return v;
    return {};
}

HttpServer::HttpServer(QObject* parent) : QObject(parent), server_(new QTcpServer(this)) {
    if (!server_->listen(QHostAddress::LocalHost, 0)) qFatal("HttpServer: cannot listen on 127.0.0.1");
    connect(server_, &QTcpServer::newConnection, this, &HttpServer::onNewConnection);
}

HttpServer::~HttpServer() {
    const auto sockets = buffers_.keys();
    buffers_.clear();
    for (QTcpSocket* s : sockets) {
        s->disconnect(this);
        s->abort();
    }
}

quint16 HttpServer::port() const {
    return server_->serverPort();
}

QString HttpServer::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

QString HttpServer::url(const QString& path) const {
    return baseUrl() + path;
}

void HttpServer::route(const QString& path, const QByteArray& body, const QByteArray& contentType,
                       int status) {
    Response r;
    r.body = body;
    r.contentType = contentType;
    r.status = status;
    route(path, r);
}

void HttpServer::route(const QString& path, const Response& response) {
    routes_.insert(path, [response](const Request&) { return response; });
}

void HttpServer::route(const QString& path, Handler handler) {
    routes_.insert(path, std::move(handler));
}

bool HttpServer::routeFile(const QString& path, const QString& file, const QByteArray& contentType) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    route(path, f.readAll(), contentType.isEmpty() ? contentTypeFor(file) : contentType);
    return true;
}

void HttpServer::redirect(const QString& path, const QString& location, int status) {
    Response r;
    r.status = status;
    r.body = "moved";
    r.contentType = "text/plain";
    r.headers.append({"Location", location.toUtf8()});
    route(path, r);
}

void HttpServer::stall(const QString& path, Stall mode, const QByteArray& body) {
    Response r;
    r.stall = mode;
    r.body = body;
    route(path, r);
}

void HttpServer::removeRoute(const QString& path) {
    routes_.remove(path);
}

QList<HttpServer::Request> HttpServer::requests(const QString& path) const {
    QList<Request> out;
    for (const Request& r : requests_)
        if (r.path == path) out.append(r);
    return out;
}

QByteArray HttpServer::contentTypeFor(const QString& fileName) {
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == "htm" || ext == "html" || ext == "php" || ext == "asp") return "text/html";
    if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
    if (ext == "gif") return "image/gif";
    if (ext == "png") return "image/png";
    if (ext == "bmp") return "image/bmp";
    if (ext == "txt" || ext == "inf") return "text/plain";
    return "application/octet-stream";
}

void HttpServer::onNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        buffers_.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            buffers_.remove(socket);
            socket->deleteLater();
        });
    }
}

void HttpServer::onReadyRead(QTcpSocket* socket) {
    auto it = buffers_.find(socket);
    if (it == buffers_.end()) return;
    QByteArray& buf = it.value();
    buf += socket->readAll();
    const qsizetype end = buf.indexOf("\r\n\r\n");
    if (end < 0) return;

    Request req;
    const QList<QByteArray> lines = buf.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    req.method = requestLine.value(0);
    req.target = QString::fromLatin1(requestLine.value(1));
    const qsizetype q = req.target.indexOf('?');
    req.path = q < 0 ? req.target : req.target.left(q);
    req.query = q < 0 ? QString() : req.target.mid(q + 1);
    qint64 length = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        const QByteArray name = line.left(colon).trimmed();
        const QByteArray value = line.mid(colon + 1).trimmed();
        req.headers.append({name, value});
        if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) length = value.toLongLong();
    }
    if (buf.size() < end + 4 + length) return; // the body is still coming
    req.body = buf.mid(end + 4, length);
    // One request per connection: the answer closes it, and what else comes is ignored.
    buf.clear();
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);

    requests_.append(req);
    emit requestReceived(req);
    answer(socket, req);
}

HttpServer::Handler HttpServer::find(const Request& request) const {
    if (!request.query.isEmpty()) {
        auto it = routes_.find(request.target);
        if (it != routes_.end()) return it.value();
    }
    auto it = routes_.find(request.path);
    if (it != routes_.end()) return it.value();
    return {};
}

void HttpServer::answer(QTcpSocket* socket, const Request& request) {
    const Handler handler = find(request);
    Response r;
    if (handler) {
        r = handler(request);
    } else {
        r.status = 404;
        r.body = "<html><body>Not found</body></html>";
    }
    const bool noBody = request.method == "HEAD";
    if (r.delayMs > 0)
        QTimer::singleShot(r.delayMs, socket, [this, socket, r, noBody] { send(socket, r, noBody); });
    else
        send(socket, r, noBody);
}

void HttpServer::send(QTcpSocket* socket, const Response& r, bool noBody) {
    switch (r.stall) {
    case Stall::Silent:
        return;
    case Stall::AfterHeaders:
        socket->write(head(r, true));
        return;
    case Stall::HalfBody:
        bodyBytesSent_ += r.body.size() / 2;
        socket->write(head(r, true) + r.body.left(r.body.size() / 2));
        return;
    case Stall::None:
        break;
    }
    if (r.endless && !noBody && !r.body.isEmpty()) {
        socket->write(head(r, false));
        const auto more = [this, socket, body = r.body] {
            if (socket->bytesToWrite() > 0) return;
            socket->write(body);
            bodyBytesSent_ += body.size();
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
        return;
    }
    if (r.trickleMs <= 0 || noBody) {
        bodyBytesSent_ += noBody ? 0 : r.body.size();
        socket->write(head(r, true) + (noBody ? QByteArray() : r.body));
        socket->disconnectFromHost();
        return;
    }
    socket->write(head(r, true));
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    const int piece = qMax(1, r.trickleBytes);
    connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent, piece, body = r.body] {
        const QByteArray bytes = body.mid(*sent, piece);
        socket->write(bytes);
        bodyBytesSent_ += bytes.size();
        *sent += piece;
        if (*sent >= body.size()) {
            timer->stop();
            socket->disconnectFromHost();
        }
    });
    timer->start(r.trickleMs);
}

} // namespace testsupport
