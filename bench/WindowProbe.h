#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

struct xcb_connection_t;

// Looks at the windows of other programs on an X server from outside, the way a person sees
// them: whether a top-level window with a given title exists and whether it shows anything yet.
class WindowProbe final {
public:
    using Window = std::uint32_t;

    // Connects to `display` (":<number>").
    explicit WindowProbe(const QString& display);
    ~WindowProbe();
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    bool isConnected() const;

    // The first window below the root whose title (_NET_WM_NAME, else WM_NAME) is `title`.
    std::optional<Window> findWindow(const QString& title) const;

    // What a mapped window shows: its pixels row by row as 0xRRGGBB.
    struct Frame {
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;

        bool operator==(const Frame&) const = default;
        // Its pixels are not all of one colour: something was painted.
        bool isPainted() const;
    };

    // None while the window is not mapped (or gone).
    std::optional<Frame> capture(Window window) const;

private:
    std::optional<Window> findBelow(Window parent, const QString& title) const;
    QString titleOf(Window window) const;
    std::uint32_t atom(const char* name) const;

    xcb_connection_t* m_connection = nullptr;
    Window m_root = 0;
    std::uint32_t m_netWmName = 0;
    std::uint32_t m_utf8String = 0;
};
