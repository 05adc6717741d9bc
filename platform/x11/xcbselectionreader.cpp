#include "platform/x11/xcbselectionreader.h"

#include "platform/x11/xcbpointer.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

// How soon a wait notices cancel().
constexpr std::chrono::milliseconds cancelCheck { 50 };
// Property reads in pieces of this many 32-bit units: a reply stays well below
// what the server hands out in one go.
constexpr uint32_t propertyPiece = 4 * 1024 * 1024;

// The targets a text can come as, best first, and how its bytes decode.
struct TextTarget
{
    const char *name;
    bool latin1;
};
constexpr TextTarget textTargets[] = { { "UTF8_STRING", false }, { "text/plain;charset=utf-8", false },
    { "text/plain", false }, { "STRING", true } };

// What an owner lists beside its content: the protocol's own targets, never content.
bool isProtocolTarget(const QByteArray &name)
{
    static const QByteArray names[]
        = { "TARGETS", "MULTIPLE", "TIMESTAMP", "SAVE_TARGETS", "DELETE", "INCR", "LENGTH" };
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool isTextTarget(const QByteArray &name)
{
    return name == "UTF8_STRING" || name == "STRING" || name == "TEXT" || name == "COMPOUND_TEXT"
        || name == "text/plain" || name.startsWith("text/plain;");
}

} // namespace

// One X connection with a window to receive conversions on.
class XcbSelectionReader::Session
{
public:
    Session(const std::atomic<bool> &cancelled, std::chrono::milliseconds timeout)
        : m_cancelled(cancelled)
        , m_timeout(timeout)
    { }

    ~Session()
    {
        if (m_window)
            xcb_destroy_window(m_connection, m_window);
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    bool open()
    {
        int screenNumber = 0;
        m_connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return false;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (!screens.rem)
            return false;
        m_window = xcb_generate_id(m_connection);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screens.data->root, 0, 0, 1, 1, 0,
            XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        m_clipboard = atom("CLIPBOARD");
        m_incr = atom("INCR");
        m_property = atom("QUORVANE_CLIPBOARD_READ");
        return m_clipboard && m_incr && m_property;
    }

    xcb_atom_t atom(const QByteArray &name)
    {
        XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection,
            xcb_intern_atom(m_connection, false, uint16_t(name.size()), name.constData()), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    QList<QByteArray> atomNames(const QList<xcb_atom_t> &atoms)
    {
        std::vector<xcb_get_atom_name_cookie_t> cookies;
        for (xcb_atom_t a : atoms)
            cookies.push_back(xcb_get_atom_name(m_connection, a));
        QList<QByteArray> names;
        for (xcb_get_atom_name_cookie_t cookie : cookies) {
            XcbPtr<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(m_connection, cookie, nullptr));
            names.append(reply ? QByteArray(
                             xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()))
                               : QByteArray());
        }
        return names;
    }

    enum class Outcome { Converted, Refused, Silent };

    // Asks the owner to convert the clipboard to `target`; the bytes arrive in
    // `bytes`, whole or piece by piece (an incremental transfer).
    Outcome convert(xcb_atom_t target, QByteArray &bytes, xcb_atom_t *type = nullptr)
    {
        xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        XcbPtr<xcb_generic_event_t> event = waitFor([this](const xcb_generic_event_t *e) {
            if ((e->response_type & ~0x80) != XCB_SELECTION_NOTIFY)
                return false;
            const auto *notify = reinterpret_cast<const xcb_selection_notify_event_t *>(e);
            return notify->requestor == m_window && notify->selection == m_clipboard;
        });
        if (!event)
            return Outcome::Silent;
        if (reinterpret_cast<const xcb_selection_notify_event_t *>(event.get())->property == XCB_ATOM_NONE)
            return Outcome::Refused;
        xcb_atom_t got = XCB_ATOM_NONE;
        if (!takeProperty(bytes, got))
            return Outcome::Refused;
        if (type)
            *type = got;
        if (got != m_incr)
            return Outcome::Converted;
        // Deleting the INCR property (done above) tells the owner to send the
        // pieces; each arrives as a new value, and an empty one ends the transfer.
        bytes.clear();
        while (true) {
            XcbPtr<xcb_generic_event_t> piece = waitFor([this](const xcb_generic_event_t *e) {
                if ((e->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(e);
                return notify->window == m_window && notify->atom == m_property
                    && notify->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!piece)
                return Outcome::Silent;
            QByteArray chunk;
            if (!takeProperty(chunk, got))
                return Outcome::Refused;
            if (chunk.isEmpty())
                return Outcome::Converted;
            bytes += chunk;
        }
    }

private:
    // Reads the whole property and deletes it; false when it can't be read.
    bool takeProperty(QByteArray &bytes, xcb_atom_t &type)
    {
        uint32_t offset = 0;
        while (true) {
            XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection,
                xcb_get_property(m_connection, false, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, offset,
                    propertyPiece),
                nullptr));
            if (!reply)
                return false;
            type = reply->type;
            const int length = xcb_get_property_value_length(reply.get());
            bytes.append(static_cast<const char *>(xcb_get_property_value(reply.get())), length);
            offset += uint32_t(length) / 4;
            if (reply->bytes_after == 0)
                break;
        }
        xcb_delete_property(m_connection, m_window, m_property);
        xcb_flush(m_connection);
        return true;
    }

    // The first event that `matches`, waiting at most the time-out for it;
    // null on time-out, cancel or a broken connection.
    XcbPtr<xcb_generic_event_t> waitFor(const std::function<bool(const xcb_generic_event_t *)> &matches)
    {
        const Clock::time_point deadline = Clock::now() + m_timeout;
        pollfd fd { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
        while (!m_cancelled.load()) {
            while (XcbPtr<xcb_generic_event_t> event { xcb_poll_for_event(m_connection) }) {
                if (matches(event.get()))
                    return event;
            }
            if (xcb_connection_has_error(m_connection))
                return nullptr;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return nullptr;
            ::poll(&fd, 1, int(std::min(left, cancelCheck).count()) + 1);
        }
        return nullptr;
    }

    const std::atomic<bool> &m_cancelled;
    const std::chrono::milliseconds m_timeout;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
};

XcbSelectionReader::XcbSelectionReader(std::chrono::milliseconds requestTimeout)
    : m_requestTimeout(requestTimeout)
{ }

XcbSelectionReader::~XcbSelectionReader() = default;

std::optional<QByteArray> XcbSelectionReader::convert(const QByteArray &target)
{
    const auto known = m_converted.constFind(target);
    if (known != m_converted.constEnd())
        return *known;
    if (m_ownerSilent || m_cancelled.load() || !m_session)
        return std::nullopt;
    std::optional<QByteArray> result;
    if (const xcb_atom_t atom = m_session->atom(target)) {
        QByteArray bytes;
        switch (m_session->convert(atom, bytes)) {
        case Session::Outcome::Converted:
            result = bytes;
            break;
        case Session::Outcome::Refused:
            break;
        case Session::Outcome::Silent:
            // Every later request of this change would wait out the time-out again.
            m_ownerSilent = true;
            break;
        }
    }
    m_converted.insert(target, result);
    return result;
}

std::optional<QStringList> XcbSelectionReader::readFormats()
{
    if (m_formats)
        return *m_formats;
    m_formats = std::optional<QStringList>();
    if (!m_session && !m_sessionFailed) {
        m_session = std::make_unique<Session>(m_cancelled, m_requestTimeout);
        if (!m_session->open()) {
            m_session.reset();
            m_sessionFailed = true;
        }
    }
    if (!m_session)
        return *m_formats;
    QByteArray list;
    xcb_atom_t type = XCB_ATOM_NONE;
    switch (m_session->convert(m_session->atom("TARGETS"), list, &type)) {
    case Session::Outcome::Converted:
        break;
    case Session::Outcome::Refused:
        return *m_formats;
    case Session::Outcome::Silent:
        m_ownerSilent = true;
        return *m_formats;
    }
    QList<xcb_atom_t> atoms;
    for (qsizetype i = 0; i + qsizetype(sizeof(xcb_atom_t)) <= list.size(); i += sizeof(xcb_atom_t))
        atoms.append(*reinterpret_cast<const xcb_atom_t *>(list.constData() + i));
    QStringList formats;
    QByteArray textTarget;
    const QList<QByteArray> names = m_session->atomNames(atoms);
    for (const QByteArray &name : names) {
        if (name.isEmpty() || isProtocolTarget(name))
            continue;
        if (isTextTarget(name))
            continue; // one plain-text format stands for them all, below
        const QString format = QString::fromUtf8(name);
        if (!formats.contains(format)) {
            formats.append(format);
            m_targets.insert(format, name);
        }
    }
    for (const TextTarget &text : textTargets) {
        if (names.contains(QByteArray(text.name))) {
            textTarget = text.name;
            break;
        }
    }
    if (!textTarget.isEmpty()) {
        formats.append(PasteboardType::string);
        m_targets.insert(PasteboardType::string, textTarget);
    }
    m_formats = std::optional<QStringList>(formats);
    return *m_formats;
}

std::optional<QByteArray> XcbSelectionReader::readFormat(const QString &format)
{
    if (!readFormats().value_or(QStringList()).contains(format))
        return std::nullopt;
    if (format == PasteboardType::string) {
        const std::optional<QString> text = readText();
        return text ? std::optional<QByteArray>(text->toUtf8()) : std::nullopt;
    }
    return convert(m_targets.value(format));
}

std::optional<QString> XcbSelectionReader::readText()
{
    if (!readFormats().value_or(QStringList()).contains(PasteboardType::string))
        return std::nullopt;
    const QByteArray target = m_targets.value(PasteboardType::string);
    const std::optional<QByteArray> bytes = convert(target);
    if (!bytes)
        return std::nullopt;
    const bool latin1 = std::any_of(std::begin(textTargets), std::end(textTargets),
        [&](const TextTarget &t) { return t.latin1 && target == t.name; });
    return latin1 ? QString::fromLatin1(*bytes) : QString::fromUtf8(*bytes);
}
