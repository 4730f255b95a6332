#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdlib>

// Raw X windows made by a test itself, with exactly the properties a case needs; they belong to the test's process.
class RawWindows
{
public:
    explicit RawWindows(const QByteArray &display)
        : m_connection(xcb_connect(display.constData(), nullptr))
        , m_screen(xcb_connection_has_error(m_connection) ? nullptr
                                                          : xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data)
    {}
    ~RawWindows() { xcb_disconnect(m_connection); }
    bool isValid() const { return !xcb_connection_has_error(m_connection) && m_screen; }
    quint32 root() const { return m_screen->root; }

    quint32 create(quint32 parent = 0)
    {
        const quint32 window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, parent ? parent : m_screen->root, 10, 10, 200,
                          100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0, nullptr);
        return window;
    }
    void map(quint32 window) { sync(xcb_map_window(m_connection, window)); }
    void destroy(quint32 window) { sync(xcb_destroy_window(m_connection, window)); }
    void set(quint32 window, const char *name, const char *type, const QByteArray &value)
    {
        sync(xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), atom(type), 8,
                                 quint32(value.size()), value.constData()));
    }
    void remove(quint32 window, const char *name) { sync(xcb_delete_property(m_connection, window, atom(name))); }
    // The type of the property, XCB_NONE when the window lacks it.
    quint32 propertyType(quint32 window, const char *name)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
            nullptr);
        const quint32 type = reply ? reply->type : XCB_NONE;
        std::free(reply);
        return type;
    }
    quint32 atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, quint16(qstrlen(name)), name), nullptr);
        const quint32 result = reply ? reply->atom : 0;
        std::free(reply);
        return result;
    }

private:
    void sync(xcb_void_cookie_t)
    {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
};
