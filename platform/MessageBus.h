#pragma once
// Window classes between processes. Each top-level window of a class listens on
// a Unix datagram socket "<class>.<pid>" in the runtime folder; finding a window
// by class looks for a live listener of that class. Post delivers without
// waiting; send waits for the answer up to a time-out.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

inline constexpr uint32_t WM_CLOSE = 0x0010;
inline constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
inline constexpr uint32_t WM_USER = 0x0400;
inline constexpr uint32_t WM_TRAYICON = WM_USER + 1;
inline constexpr uint32_t WM_OPTIONSCHANGED = WM_USER + 2;
inline constexpr uint32_t WM_SHOWINSTANCE = WM_USER + 102;

struct tWindowMessage {
    uint32_t msg = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

class tMessageBus {
public:
    // An empty folder means RuntimeFolder().
    explicit tMessageBus(std::string runtimeFolder = {});

    // The address of the first live window of the class, or nothing. Sockets
    // left by processes that died are removed on the way.
    std::optional<std::string> FindWindow(std::string_view className) const;
    // Every live window of the class.
    std::vector<std::string> FindWindows(std::string_view className) const;
    // Delivers to the first window of the class; false when there is none.
    bool PostMessage(std::string_view className, const tWindowMessage& message) const;
    // Delivers and waits for the window's answer; nothing on time-out or no window.
    std::optional<int64_t> SendMessage(std::string_view className, const tWindowMessage& message,
                                       std::chrono::milliseconds timeout) const;

    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
};

// One window of a class: receives what others post and send to it. The owner
// either watches Fd() in its event loop and calls ProcessPending(), or calls
// ProcessPending() from a timer. The handler's result answers a send.
class tWindowListener {
public:
    using tHandler = std::function<int64_t(const tWindowMessage&)>;

    tWindowListener(std::string className, tHandler handler, std::string runtimeFolder = {});
    ~tWindowListener();
    tWindowListener(const tWindowListener&) = delete;
    tWindowListener& operator=(const tWindowListener&) = delete;

    bool IsListening() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // Handles every message that has arrived; returns how many.
    int ProcessPending();
    // Waits up to `timeout` for a message and handles what has arrived; true
    // when one came.
    bool WaitAndProcess(std::chrono::milliseconds timeout);

private:
    std::string m_className;
    tHandler m_handler;
    std::string m_path;
    int m_fd = -1;
};

}  // namespace cx
