#include "bench/WindowProbe.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Replies and errors of xcb are malloc'd and freed by the caller.
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> owned(T* reply)
{
    return Reply<T>(reply, &std::free);
}

} // namespace

WindowProbe::WindowProbe(const QString& display)
{
    m_connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    if (xcb_connection_has_error(m_connection))
        return;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_netWmName = atom("_NET_WM_NAME");
    m_utf8String = atom("UTF8_STRING");
}

WindowProbe::~WindowProbe()
{
    xcb_disconnect(m_connection);
}

bool WindowProbe::isConnected() const
{
    return xcb_connection_has_error(m_connection) == 0;
}

std::uint32_t WindowProbe::atom(const char* name) const
{
    const auto reply = owned(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, std::uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : std::uint32_t(XCB_ATOM_NONE);
}

std::optional<WindowProbe::Window> WindowProbe::findWindow(const QString& title) const
{
    if (!isConnected())
        return std::nullopt;
    return findBelow(m_root, title);
}

std::optional<WindowProbe::Window> WindowProbe::findBelow(Window parent, const QString& title) const
{
    const auto tree = owned(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int index = 0; index < count; ++index) {
        if (titleOf(children[index]) == title)
            return children[index];
    }
    for (int index = 0; index < count; ++index) {
        if (const std::optional<Window> found = findBelow(children[index], title))
            return found;
    }
    return std::nullopt;
}

QString WindowProbe::titleOf(Window window) const
{
    for (const auto& [property, type] : {std::pair{m_netWmName, m_utf8String},
             std::pair{std::uint32_t(XCB_ATOM_WM_NAME), std::uint32_t(XCB_ATOM_STRING)}}) {
        const auto reply = owned(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, property, type, 0, 1024), nullptr));
        if (reply && reply->type != XCB_ATOM_NONE) {
            const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
            const int length = xcb_get_property_value_length(reply.get());
            return type == m_utf8String ? QString::fromUtf8(text, length) : QString::fromLatin1(text, length);
        }
    }
    return {};
}

bool WindowProbe::Frame::isPainted() const
{
    return !pixels.empty()
        && std::ranges::any_of(pixels, [this](std::uint32_t pixel) { return pixel != pixels.front(); });
}

std::optional<WindowProbe::Frame> WindowProbe::capture(Window window) const
{
    const auto attributes = owned(
        xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;
    const auto geometry = owned(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    if (!geometry || (geometry->depth != 24 && geometry->depth != 32))
        return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    const auto image = owned(xcb_get_image_reply(m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, geometry->width, geometry->height,
            ~std::uint32_t(0)),
        &error));
    std::free(error);
    // A ZPixmap of depth 24 or 32 holds 32-bit pixels; the padding or alpha byte is left out.
    const int count = geometry->width * geometry->height;
    if (!image || xcb_get_image_data_length(image.get()) < count * 4)
        return std::nullopt;
    Frame frame{.width = geometry->width, .height = geometry->height, .pixels = std::vector<std::uint32_t>(count)};
    std::memcpy(frame.pixels.data(), xcb_get_image_data(image.get()), std::size_t(count) * 4);
    for (std::uint32_t& pixel : frame.pixels)
        pixel &= 0x00FFFFFF;
    return frame;
}
