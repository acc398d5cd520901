// Waits until the program's main window is mapped on the X display, lets it
// settle, and saves a picture of it with its caption drawn above it (a virtual
// display has no window manager to draw one).
//
//   tolvane-screenshot OUT.png [--class tolvane] [--timeout 60] [--settle 4000]
//
// Prints the caption and the path; exit code 1 when no window came up in time.

#include <xcb/xcb.h>

#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

namespace {

struct Found {
    xcb_window_t window;
    QString title;
    int area;
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> r(
        xcb_intern_atom_reply(c, cookie, nullptr), &free);
    return r ? r->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

QByteArray property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) {
    auto cookie = xcb_get_property(c, 0, w, prop, type, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> r(
        xcb_get_property_reply(c, cookie, nullptr), &free);
    if (!r) return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                      xcb_get_property_value_length(r.get()));
}

// The largest mapped top-level window whose class names the program.
std::optional<Found> findWindow(xcb_connection_t* c, xcb_window_t root, const QByteArray& cls) {
    const xcb_atom_t netName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &free);
    if (!tree) return std::nullopt;
    std::optional<Found> best;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const xcb_window_t w = children[i];
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attr(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr), &free);
        if (!attr || attr->map_state != XCB_MAP_STATE_VIEWABLE) continue;
        const QByteArray wmClass = property(c, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
        if (!wmClass.toLower().contains(cls.toLower())) continue;
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geo(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, w), nullptr), &free);
        if (!geo) continue;
        const int area = geo->width * geo->height;
        if (best && best->area >= area) continue;
        QByteArray title = property(c, w, netName, utf8);
        if (title.isEmpty()) title = property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        best = Found{w, QString::fromUtf8(title), area};
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    if (args.isEmpty()) {
        std::fprintf(stderr,
                     "usage: tolvane-screenshot OUT.png [--class NAME] [--timeout S] "
                     "[--settle MS]\n");
        return 2;
    }
    const QString out = args.takeFirst();
    QByteArray cls = "tolvane";
    int timeoutS = 60;
    int settleMs = 4000;
    for (int i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--class") cls = args[i + 1].toUtf8();
        if (args[i] == "--timeout") timeoutS = args[i + 1].toInt();
        if (args[i] == "--settle") settleMs = args[i + 1].toInt();
    }

    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tolvane-screenshot: no X display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;

    QElapsedTimer timer;
    timer.start();
    std::optional<Found> found;
    while (!(found = findWindow(c, screen->root, cls))) {
        if (timer.elapsed() > timeoutS * 1000LL) {
            std::fprintf(stderr, "tolvane-screenshot: no window of class %s within %d s\n",
                         cls.constData(), timeoutS);
            xcb_disconnect(c);
            return 1;
        }
        QThread::msleep(200);
    }
    // Let the window finish painting (the embedded browser loads its page).
    QThread::msleep(static_cast<unsigned long>(std::max(0, settleMs)));
    found = findWindow(c, screen->root, cls).value_or(*found);
    xcb_disconnect(c);

    const QImage shot = app.primaryScreen()->grabWindow(found->window).toImage();
    if (shot.isNull()) {
        std::fprintf(stderr, "tolvane-screenshot: could not grab the window\n");
        return 1;
    }
    const int bar = 24;
    QImage framed(shot.width(), shot.height() + bar, QImage::Format_RGB32);
    framed.fill(QColor(0xdd, 0xe3, 0xea));
    QPainter p(&framed);
    QFont f;
    f.setFamilies({QStringLiteral("WenQuanYi Zen Hei")});
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(8, 0, framed.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft,
               found->title);
    p.drawImage(0, bar, shot);
    p.end();
    if (!framed.save(out, "PNG")) {
        std::fprintf(stderr, "tolvane-screenshot: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("caption: %s\nscreenshot: %s\n", found->title.toUtf8().constData(),
                qPrintable(out));
    return 0;
}
