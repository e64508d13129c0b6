#include "desktop/display_probe.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace miravel::desktop {

namespace {

constexpr int ConnectTimeoutMs = 2000;
constexpr int X11TcpBase = 6000;

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool connectUnix(const std::string& path, bool abstract) {
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0; // an abstract name starts with a NUL
    if (path.size() + offset >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    return ::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), length) == 0;
}

bool connectTcp(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return false;
    bool connected = false;
    for (addrinfo* a = found; a && !connected; a = a->ai_next) {
        Socket socket(::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol));
        if (socket.fd() < 0) continue;
        if (::connect(socket.fd(), a->ai_addr, a->ai_addrlen) == 0) {
            connected = true;
        } else if (errno == EINPROGRESS) {
            pollfd waiting{socket.fd(), POLLOUT, 0};
            int error = 0;
            socklen_t size = sizeof error;
            connected = ::poll(&waiting, 1, ConnectTimeoutMs) == 1 &&
                        ::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
    }
    ::freeaddrinfo(found);
    return connected;
}

} // namespace

bool DisplayProbe::xDisplayReachable(const std::string& display) {
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos || colon + 1 >= display.size()) return false;
    std::string host = display.substr(0, colon);
    const std::string rest = display.substr(colon + 1);
    const std::size_t dot = rest.find('.');
    const std::string number = rest.substr(0, dot);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) return false;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + number;
        return connectUnix(path, false) || connectUnix(path, true);
    }
    if (host.rfind("unix/", 0) == 0) host = host.substr(5);
    return connectTcp(host, X11TcpBase + std::stoi(number));
}

bool DisplayProbe::defaultAvailable(const QByteArray& display) {
    return waylandAvailable() || xAvailable(display);
}

} // namespace miravel::desktop
