#pragma once
// A proxy between stations and the test server, on a Unix socket of its own, that forwards the
// server's protocol both ways. Armed with a table, it lets the next write into that table reach
// the server with its commit and then cuts the connection before the server's reply comes
// back: the station cannot know whether its row was stored.

#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

class CuttingProxy {
  public:
    // Forwards to the server answering in serverFolder.
    explicit CuttingProxy(const QString& serverFolder);
    ~CuttingProxy();
    CuttingProxy(const CuttingProxy&) = delete;
    CuttingProxy& operator=(const CuttingProxy&) = delete;

    // The socket folder stations reach the server through.
    QString folder() const { return folder_.path(); }
    void cutAfterNextWriteTo(const QString& table);
    int cuts() const { return cuts_; }

  private:
    struct Link;
    void serve();
    // Forwards what the station sent; false once the link is cut.
    bool forwardFromStation(Link& link);
    bool armedFor(const QByteArray& sql);

    QTemporaryDir folder_;
    QString serverSocket_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    std::mutex armedLock_;
    std::optional<QRegularExpression> armed_;
    std::atomic<int> cuts_{0};
};
