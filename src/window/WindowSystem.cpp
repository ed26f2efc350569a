// The window system behind SDL: the X11 window manager's state of the
// window, the client area's real place, the monitors, the desktop's scale,
// the screen's changes; Wayland's compositor that places windows itself;
// a connection either ends.
#include "window/WindowSystem.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <wayland-client-core.h>

// Last: Xlib defines macros (None, Bool, Status) that other headers must not see.
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>

namespace {

struct X11Window {
    Display* display = nullptr;
    Window window = 0;
};

// What SDL tells of the window system behind a window; false without one.
bool systemInfo(SDL_Window* window, SDL_SysWMinfo& info) {
    if (!window) return false;
    SDL_zero(info);
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(window, &info) == SDL_TRUE;
}

// The X display and window behind an SDL window; false on other systems.
bool x11Window(SDL_Window* window, X11Window& x) {
    SDL_SysWMinfo info;
    if (!systemInfo(window, info) || info.subsystem != SDL_SYSWM_X11) return false;
    x.display = info.info.x11.display;
    x.window = info.info.x11.window;
    return x.display != nullptr;
}

// The screen's rectangle as the server has it now; the size the connection
// was opened with goes stale when a mode changes.
bool screenNow(const X11Window& x, SDL_Rect& screen) {
    Window root = 0;
    int rootX = 0, rootY = 0;
    unsigned int width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(x.display, DefaultRootWindow(x.display), &root, &rootX, &rootY, &width, &height, &border, &depth))
        return false;
    screen = {0, 0, static_cast<int>(width), static_cast<int>(height)};
    return true;
}

// Written once by watchWindowSystem, read by the event filter (which may run
// on any thread that pushes an event).
Window watchedRoot = 0;
Atom workAreaAtom = 0;
Atom windowStateAtom = 0;

// Keeps the window-system messages the fitting follows; SDL turns every
// other X event into one too once they are enabled.
int SDLCALL keepWindowSystemChanges(void*, SDL_Event* e) {
    if (e->type != SDL_SYSWMEVENT) return 1;
    const SDL_SysWMmsg* msg = e->syswm.msg;
    if (!msg || msg->subsystem != SDL_SYSWM_X11) return 0;
    const XEvent& x = msg->msg.x11.event;
    // The program selects property changes on its own windows and the root only.
    if (x.type == PropertyNotify) return x.xproperty.atom == workAreaAtom || x.xproperty.atom == windowStateAtom;
    // Its own windows' configure notices are SDL's window events already.
    if (x.type == ConfigureNotify) return x.xconfigure.window == watchedRoot;
    return 0;
}

// Xlib calls this when the server has gone, and ends the program if it
// returns: the line is the game's, and nothing of the session can be saved.
int SDLCALL connectionEnded(Display*) {
    SDL_Log("%s", connectionLostMessage);
    _exit(1);
}

// The server's monitors: RandR 1.5's, which include monitors set on parts
// of one output, or else Xinerama's screens. Empty when neither tells.
std::vector<SDL_Rect> monitors(const X11Window& x) {
    std::vector<SDL_Rect> found;
    int event = 0, error = 0, major = 0, minor = 0;
    if (XRRQueryExtension(x.display, &event, &error) && XRRQueryVersion(x.display, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        int count = 0;
        XRRMonitorInfo* info = XRRGetMonitors(x.display, DefaultRootWindow(x.display), True, &count);
        for (int i = 0; info && i < count; ++i) found.push_back({info[i].x, info[i].y, info[i].width, info[i].height});
        if (info) XRRFreeMonitors(info);
        if (!found.empty()) return found;
    }
    if (XineramaQueryExtension(x.display, &event, &error) && XineramaIsActive(x.display)) {
        int count = 0;
        XineramaScreenInfo* info = XineramaQueryScreens(x.display, &count);
        for (int i = 0; info && i < count; ++i)
            found.push_back({info[i].x_org, info[i].y_org, info[i].width, info[i].height});
        if (info) XFree(info);
    }
    return found;
}

// Squared distance from a point to a rectangle, 0 inside it.
long long distanceTo(const SDL_Rect& r, SDL_Point p) {
    const long long dx = p.x < r.x ? r.x - p.x : (p.x >= r.x + r.w ? p.x - (r.x + r.w - 1) : 0);
    const long long dy = p.y < r.y ? r.y - p.y : (p.y >= r.y + r.h ? p.y - (r.y + r.h - 1) : 0);
    return dx * dx + dy * dy;
}

}  // namespace

const char* const connectionLostMessage = "Window: the display server ended the connection";

void prepareWindowSystem() {
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_PREFER_LIBDECOR, "1");
    // The click that gives the window the focus acts as any other: SDL drops
    // one that comes within 10 ms of the focus, which on X11 a click to
    // focus always does where the window manager hands it on at once.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
}

bool compositorPlacesWindows(SDL_Window* window) {
    SDL_SysWMinfo info;
    return systemInfo(window, info) && info.subsystem == SDL_SYSWM_WAYLAND;
}

void awaitCompositor(SDL_Window* window) {
    SDL_SysWMinfo info;
    if (systemInfo(window, info) && info.subsystem == SDL_SYSWM_WAYLAND && info.info.wl.display)
        wl_display_roundtrip(info.info.wl.display);
}

ManagerState managerState(SDL_Window* window) {
    ManagerState state;
    X11Window x;
    if (!x11Window(window, x)) return state;
    state.told = true;
    const Atom property = XInternAtom(x.display, "_NET_WM_STATE", False);
    const Atom fullscreen = XInternAtom(x.display, "_NET_WM_STATE_FULLSCREEN", False);
    const Atom wide = XInternAtom(x.display, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
    const Atom high = XInternAtom(x.display, "_NET_WM_STATE_MAXIMIZED_VERT", False);
    const Atom hidden = XInternAtom(x.display, "_NET_WM_STATE_HIDDEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x.display, x.window, property, 0, 1024, False, XA_ATOM, &type, &format, &count, &after,
                           &data) == Success &&
        data && type == XA_ATOM && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            state.fullscreen = state.fullscreen || atoms[i] == fullscreen;
            state.maximized = state.maximized || atoms[i] == wide || atoms[i] == high;
            state.hidden = state.hidden || atoms[i] == hidden;
        }
    }
    if (data) XFree(data);
    // A window that was shown and is no longer mapped is hidden too, whether
    // or not the manager says so.
    XWindowAttributes attributes;
    if ((SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) && XGetWindowAttributes(x.display, x.window, &attributes) &&
        attributes.map_state != IsViewable)
        state.hidden = true;
    return state;
}

void askManagerToUnmaximize(SDL_Window* window) {
    X11Window x;
    if (!x11Window(window, x)) return;
    XEvent e;
    SDL_zero(e);
    e.xclient.type = ClientMessage;
    e.xclient.window = x.window;
    e.xclient.message_type = XInternAtom(x.display, "_NET_WM_STATE", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = 0;  // _NET_WM_STATE_REMOVE
    e.xclient.data.l[1] = static_cast<long>(XInternAtom(x.display, "_NET_WM_STATE_MAXIMIZED_VERT", False));
    e.xclient.data.l[2] = static_cast<long>(XInternAtom(x.display, "_NET_WM_STATE_MAXIMIZED_HORZ", False));
    e.xclient.data.l[3] = 1;  // a normal application
    XSendEvent(x.display, DefaultRootWindow(x.display), False, SubstructureNotifyMask | SubstructureRedirectMask, &e);
    XFlush(x.display);
}

SDL_Point clientPosition(SDL_Window* window) {
    SDL_Point at = {0, 0};
    X11Window x;
    if (x11Window(window, x)) {
        Window child = 0;
        if (XTranslateCoordinates(x.display, x.window, DefaultRootWindow(x.display), 0, 0, &at.x, &at.y, &child))
            return at;
    }
    if (window) SDL_GetWindowPosition(window, &at.x, &at.y);
    return at;
}

SDL_Point clientSize(SDL_Window* window) {
    SDL_Point size = {0, 0};
    X11Window x;
    XWindowAttributes attributes;
    if (x11Window(window, x) && XGetWindowAttributes(x.display, x.window, &attributes))
        return {attributes.width, attributes.height};
    if (window) SDL_GetWindowSize(window, &size.x, &size.y);
    return size;
}

bool coversScreen(SDL_Window* window) {
    X11Window x;
    SDL_Rect screen;
    if (!x11Window(window, x) || !screenNow(x, screen)) return false;
    const SDL_Point at = clientPosition(window);
    SDL_Rect client = {at.x, at.y, 0, 0};
    SDL_GetWindowSize(window, &client.w, &client.h);
    return SDL_RectEquals(&client, &screen);
}

bool usableArea(SDL_Window* window, SDL_Rect& usable) {
    if (!window) return false;
    if (SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window), &usable) != 0) return false;
    X11Window x;
    SDL_Rect screen;
    if (!x11Window(window, x) || !screenNow(x, screen)) return true;
    if (!SDL_IntersectRect(&usable, &screen, &usable)) usable = {0, 0, 0, 0};
    const std::vector<SDL_Rect> all = monitors(x);
    if (static_cast<int>(all.size()) <= SDL_GetNumVideoDisplays()) return true;
    // The monitor under the window's middle, or the nearest one.
    const SDL_Point at = clientPosition(window);
    const SDL_Point size = clientSize(window);
    const SDL_Point middle = {at.x + size.x / 2, at.y + size.y / 2};
    const SDL_Rect* monitor = &all.front();
    for (const SDL_Rect& m : all)
        if (distanceTo(m, middle) < distanceTo(*monitor, middle)) monitor = &m;
    if (!SDL_IntersectRect(&usable, monitor, &usable)) usable = {0, 0, 0, 0};
    return true;
}

int desktopDpi(SDL_Window* window) {
    X11Window x;
    if (!x11Window(window, x)) return 0;
    const char* resources = XResourceManagerString(x.display);
    if (!resources) return 0;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database) return 0;
    char* type = nullptr;
    XrmValue value;
    int dpi = 0;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        // Some desktops write a fraction, such as 96.0 or 144.5.
        const double read = std::strtod(value.addr, nullptr);
        if (read > 0 && read < 10000) dpi = static_cast<int>(std::lround(read));
    }
    XrmDestroyDatabase(database);
    return dpi;
}

bool connectionLost(SDL_Window* window) {
    SDL_SysWMinfo info;
    return systemInfo(window, info) && info.subsystem == SDL_SYSWM_WAYLAND && info.info.wl.display &&
           wl_display_get_error(info.info.wl.display) != 0;
}

void keepAspectHint(SDL_Window* window, int width, int height) {
    X11Window x;
    if (!x11Window(window, x)) return;
    // A window without hints leaves the cleared structure as it is.
    XSizeHints hints;
    SDL_zero(hints);
    long supplied = 0;
    XGetWMNormalHints(x.display, x.window, &hints, &supplied);
    // Asked on every window event: once the hint is in place nothing is sent.
    if ((hints.flags & PAspect) && hints.min_aspect.x == width && hints.min_aspect.y == height &&
        hints.max_aspect.x == width && hints.max_aspect.y == height) {
        return;
    }
    hints.flags |= PAspect;
    hints.min_aspect.x = hints.max_aspect.x = width;
    hints.min_aspect.y = hints.max_aspect.y = height;
    XSetWMNormalHints(x.display, x.window, &hints);
    XFlush(x.display);
}

void watchWindowSystem(SDL_Window* window) {
    X11Window x;
    if (!x11Window(window, x)) return;
    const Window root = DefaultRootWindow(x.display);
    workAreaAtom = XInternAtom(x.display, "_NET_WORKAREA", False);
    windowStateAtom = XInternAtom(x.display, "_NET_WM_STATE", False);
    watchedRoot = root;
    XSetIOErrorHandler(connectionEnded);
    SDL_SetEventFilter(keepWindowSystemChanges, nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    // Added to whatever SDL selected on the root: event masks are per client.
    XWindowAttributes attributes;
    long mask = 0;
    if (XGetWindowAttributes(x.display, root, &attributes)) mask = attributes.your_event_mask;
    XSelectInput(x.display, root, mask | StructureNotifyMask | PropertyChangeMask);
    XFlush(x.display);
}
