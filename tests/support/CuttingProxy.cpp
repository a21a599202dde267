#include "tests/support/CuttingProxy.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QHash>
#include <list>
#include <stdexcept>
#include <vector>

namespace {

// Requests a client may send before its start-up message, which the server answers and which
// are followed by another untyped message.
constexpr quint32 kSslRequest = 80877103, kGssRequest = 80877104;

sockaddr_un SocketAddress(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    if (bytes.size() >= qsizetype(sizeof(address.sun_path)))
        throw std::runtime_error("socket path too long: " + bytes.toStdString());
    qstrncpy(address.sun_path, bytes.constData(), sizeof(address.sun_path));
    return address;
}

quint32 BigEndian32(const QByteArray& bytes, qsizetype at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

// The text of a zero-ended string of a message from the station, from a position on.
QByteArray TextAt(const QByteArray& body, qsizetype& at) {
    const qsizetype end = body.indexOf('\0', at);
    const QByteArray text = body.mid(at, end < 0 ? -1 : end - at);
    at = end < 0 ? body.size() : end + 1;
    return text;
}

bool SendAll(int socket, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, std::size_t(size), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        data += sent;
        size -= sent;
    }
    return true;
}

}  // namespace

struct CuttingProxy::Link {
    int station = -1;
    int server = -1;
    QByteArray pending;  // bytes of the station's next message, not yet whole
    bool started = false;
    QHash<QByteArray, QByteArray> statements;  // prepared on this connection, by name
    QByteArray bound;                          // the text of the statement bound last
    bool writeSent = false;                    // an armed write awaits its sync

    void close() {
        ::close(station);
        ::close(server);
        station = server = -1;
    }
};

CuttingProxy::CuttingProxy(const QString& serverFolder)
    : folder_(QStringLiteral("/tmp/fxproxy-XXXXXX")),
      serverSocket_(serverFolder + QStringLiteral("/.s.PGSQL.5432")) {
    listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = SocketAddress(folder_.path() + QStringLiteral("/.s.PGSQL.5432"));
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener_, 16) != 0 || ::pipe(wake_) != 0) {
        throw std::runtime_error("the proxy cannot listen in " + folder_.path().toStdString());
    }
    thread_ = std::thread([this] { serve(); });
}

CuttingProxy::~CuttingProxy() {
    const char stop = 's';
    (void)!::write(wake_[1], &stop, 1);
    thread_.join();
    ::close(listener_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void CuttingProxy::cutAfterNextWriteTo(const QString& table) {
    const std::lock_guard lock(armedLock_);
    armed_ = QRegularExpression(QStringLiteral(R"(^\s*(insert\s+into|update)\s+"?%1"?[\s(])")
                                    .arg(QRegularExpression::escape(table)),
                                QRegularExpression::CaseInsensitiveOption);
}

bool CuttingProxy::armedFor(const QByteArray& sql) {
    const std::lock_guard lock(armedLock_);
    return armed_ && armed_->match(QString::fromUtf8(sql)).hasMatch();
}

bool CuttingProxy::forwardFromStation(Link& link) {
    char buffer[8192];
    const ssize_t got = ::recv(link.station, buffer, sizeof(buffer), 0);
    if (got <= 0) return false;
    link.pending.append(buffer, got);
    for (;;) {
        if (!link.started) {
            // The start-up message (or a request before it) has no type byte.
            if (link.pending.size() < 8) return true;
            const quint32 length = BigEndian32(link.pending, 0);
            if (link.pending.size() < qsizetype(length)) return true;
            const quint32 code = BigEndian32(link.pending, 4);
            link.started = code != kSslRequest && code != kGssRequest;
            if (!SendAll(link.server, link.pending.constData(), length)) return false;
            link.pending.remove(0, length);
            continue;
        }
        if (link.pending.size() < 5) return true;
        const qsizetype whole = 1 + qsizetype(BigEndian32(link.pending, 1));
        if (link.pending.size() < whole) return true;
        const char type = link.pending[0];
        const QByteArray body = link.pending.mid(5, whole - 5);
        qsizetype at = 0;
        bool cut = false;
        if (type == 'P') {
            const QByteArray name = TextAt(body, at);
            link.statements.insert(name, TextAt(body, at));
        } else if (type == 'B') {
            TextAt(body, at);  // the portal
            link.bound = link.statements.value(TextAt(body, at));
        } else if (type == 'E') {
            link.writeSent = link.writeSent || armedFor(link.bound);
        } else if (type == 'S') {
            cut = link.writeSent;  // the pipeline's commit
        } else if (type == 'Q') {
            cut = armedFor(TextAt(body, at));
        }
        if (!SendAll(link.server, link.pending.constData(), whole)) return false;
        link.pending.remove(0, whole);
        if (cut) {
            {
                const std::lock_guard lock(armedLock_);
                armed_.reset();
            }
            ++cuts_;
            return false;  // the reply is never read
        }
    }
}

void CuttingProxy::serve() {
    std::list<Link> links;
    for (;;) {
        std::vector<pollfd> watched = {{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (const Link& link : links) {
            watched.push_back({link.station, POLLIN, 0});
            watched.push_back({link.server, POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) continue;
        if (watched[0].revents) break;
        if (watched[1].revents & POLLIN) {
            Link link;
            link.station = ::accept(listener_, nullptr, nullptr);
            link.server = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = SocketAddress(serverSocket_);
            if (::connect(link.server, reinterpret_cast<const sockaddr*>(&address),
                          sizeof(address)) == 0) {
                links.push_back(link);
            } else {
                link.close();
            }
        }
        auto entry = watched.begin() + 2;
        for (auto link = links.begin(); link != links.end(); entry += 2) {
            bool open = true;
            if (entry->revents) open = forwardFromStation(*link);
            if (open && (entry + 1)->revents) {
                char buffer[8192];
                const ssize_t got = ::recv(link->server, buffer, sizeof(buffer), 0);
                open = got > 0 && SendAll(link->station, buffer, got);
            }
            if (open) {
                ++link;
            } else {
                link->close();
                link = links.erase(link);
            }
        }
    }
    for (Link& link : links) link.close();
}
