// Measures a tray program from the outside, as the desktop sees it:
//   tray_probe startup <program> [arguments]   exec to icon embedded in the tray, then the
//                                              resident memory after 5 s idle (prints both)
//   tray_probe open <pid> <presses>            click on the icon to panel mapped and focused,
//                                              for each press (the panel is closed in between)
//   tray_probe hotkey <presses>                Ctrl+Alt+N typed through XTest to panel mapped
//                                              and focused (the panel is closed in between)
//   tray_probe idle <pid> <seconds>            wake-ups of every thread while nothing
//                                              happens, summed and per thread
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto pollInterval = std::chrono::microseconds(250);
constexpr auto giveUpAfter = std::chrono::seconds(10);
constexpr std::uint8_t leftButton = 1;
constexpr int panelMinimumWidth = 200;
// X11 key codes of a US keyboard under Xvfb.
constexpr std::uint8_t controlKey = 37;
constexpr std::uint8_t altKey = 64;
constexpr std::uint8_t nKey = 57;
constexpr auto settleBetweenPresses = std::chrono::milliseconds(200);

struct Connection
{
    Connection()
        : xcb(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(xcb)) {
            std::fprintf(stderr, "no X display\n");
            std::exit(2);
        }
        root = xcb_setup_roots_iterator(xcb_get_setup(xcb)).data->root;
    }
    ~Connection() { xcb_disconnect(xcb); }

    xcb_atom_t atom(const char* name) const
    {
        auto* reply = xcb_intern_atom_reply(
            xcb, xcb_intern_atom(xcb, 0, std::uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }

    std::vector<xcb_window_t> children(xcb_window_t window) const
    {
        std::vector<xcb_window_t> result;
        auto* reply = xcb_query_tree_reply(xcb, xcb_query_tree(xcb, window), nullptr);
        if (!reply)
            return result;
        const xcb_window_t* list = xcb_query_tree_children(reply);
        result.assign(list, list + xcb_query_tree_children_length(reply));
        std::free(reply);
        return result;
    }

    // Every window in the tree below `window`, depth first.
    void descendants(xcb_window_t window, std::vector<xcb_window_t>& out) const
    {
        for (const xcb_window_t child : children(window)) {
            out.push_back(child);
            descendants(child, out);
        }
    }

    std::optional<xcb_window_t> trayManager() const
    {
        auto* reply = xcb_get_selection_owner_reply(
            xcb, xcb_get_selection_owner(xcb, atom("_NET_SYSTEM_TRAY_S0")), nullptr);
        std::optional<xcb_window_t> owner;
        if (reply && reply->owner)
            owner = reply->owner;
        std::free(reply);
        return owner;
    }

    struct Geometry
    {
        int x, y, width, height;
        bool viewable;
    };
    std::optional<Geometry> geometry(xcb_window_t window) const
    {
        auto* attributes =
            xcb_get_window_attributes_reply(xcb, xcb_get_window_attributes(xcb, window), nullptr);
        auto* shape = xcb_get_geometry_reply(xcb, xcb_get_geometry(xcb, window), nullptr);
        auto* position = xcb_translate_coordinates_reply(
            xcb, xcb_translate_coordinates(xcb, window, root, 0, 0), nullptr);
        std::optional<Geometry> result;
        if (attributes && shape && position)
            result = Geometry{position->dst_x, position->dst_y, shape->width, shape->height,
                              attributes->map_state == XCB_MAP_STATE_VIEWABLE};
        std::free(attributes);
        std::free(shape);
        std::free(position);
        return result;
    }

    xcb_window_t focus() const
    {
        auto* reply = xcb_get_input_focus_reply(xcb, xcb_get_input_focus(xcb), nullptr);
        const xcb_window_t window = reply ? reply->focus : XCB_NONE;
        std::free(reply);
        return window;
    }

    void click(int x, int y) const
    {
        xcb_test_fake_input(xcb, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, std::int16_t(x),
                            std::int16_t(y), 0);
        xcb_test_fake_input(xcb, XCB_BUTTON_PRESS, leftButton, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(xcb, XCB_BUTTON_RELEASE, leftButton, XCB_CURRENT_TIME, XCB_NONE, 0, 0,
                            0);
        sync();
    }
    void key(std::uint8_t type, std::uint8_t code) const
    {
        xcb_test_fake_input(xcb, type, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    }

    void typeControlAlt(std::uint8_t code) const
    {
        key(XCB_KEY_PRESS, controlKey);
        key(XCB_KEY_PRESS, altKey);
        key(XCB_KEY_PRESS, code);
        key(XCB_KEY_RELEASE, code);
        key(XCB_KEY_RELEASE, altKey);
        key(XCB_KEY_RELEASE, controlKey);
        sync();
    }

    void sync() const
    {
        std::free(xcb_get_input_focus_reply(xcb, xcb_get_input_focus(xcb), nullptr));
    }

    xcb_connection_t* xcb;
    xcb_window_t root;
};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long residentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// Voluntary and involuntary context switches of one thread: each is a wake-up.
long threadSwitches(const std::string& taskFolder)
{
    std::ifstream status(taskFolder + "/status");
    std::string line;
    long total = 0;
    while (std::getline(status, line)) {
        if (line.find("ctxt_switches:") != std::string::npos)
            total += std::strtol(line.c_str() + line.find(':') + 1, nullptr, 10);
    }
    return total;
}

struct ThreadSample
{
    std::string name;
    long switches;
};

// Every thread of the process by its id, with its name and its switches so far.
std::map<long, ThreadSample> threadSamples(pid_t pid)
{
    std::map<long, ThreadSample> samples;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        std::getline(comm, name);
        samples[std::strtol(task.path().filename().c_str(), nullptr, 10)] = {
            name, threadSwitches(task.path())};
    }
    return samples;
}

// The tray's icon windows: embedded (not top-level), shown, and carrying the XEmbed
// information every tray icon has.
std::vector<xcb_window_t> trayIcons(const Connection& x)
{
    const xcb_atom_t xembedInfo = x.atom("_XEMBED_INFO");
    std::vector<xcb_window_t> all;
    x.descendants(x.root, all);
    const auto topLevel = x.children(x.root);
    std::vector<xcb_window_t> icons;
    for (const xcb_window_t window : all) {
        if (std::find(topLevel.begin(), topLevel.end(), window) != topLevel.end())
            continue;
        const auto geometry = x.geometry(window);
        if (!geometry || !geometry->viewable)
            continue;
        auto* property = xcb_get_property_reply(
            x.xcb, xcb_get_property(x.xcb, 0, window, xembedInfo, XCB_ATOM_ANY, 0, 2), nullptr);
        const bool isIcon = property && property->type != XCB_ATOM_NONE;
        std::free(property);
        if (isIcon)
            icons.push_back(window);
    }
    return icons;
}

int startup(int argc, char** argv)
{
    Connection x;
    if (!x.trayManager()) {
        std::fprintf(stderr, "no system tray\n");
        return 2;
    }
    const auto before = trayIcons(x);
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The program must not hold the caller's output open after the probe is done.
        const int quiet = ::open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        execv(argv[0], argv);
        std::_Exit(127);
    }
    double embedded = -1;
    while (Clock::now() - start < giveUpAfter) {
        const auto icons = trayIcons(x);
        if (icons.size() > before.size()) {
            embedded = millisecondsSince(start);
            break;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    std::printf("pid %d embedded_ms %.1f rss_kb %ld\n", pid, embedded, residentKilobytes(pid));
    (void)argc;
    return embedded < 0 ? 1 : 0;
}

void printTimes(const char* label, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%s median %.1f worst %.1f over %zu\n", label, times[times.size() / 2],
                times.back(), times.size());
}

// The panel: a viewable top-level window wider than any tray icon.
std::optional<xcb_window_t> visiblePanel(const Connection& x)
{
    for (const xcb_window_t frame : x.children(x.root)) {
        std::vector<xcb_window_t> candidates{frame};
        x.descendants(frame, candidates);
        for (const xcb_window_t window : candidates) {
            const auto geometry = x.geometry(window);
            if (geometry && geometry->viewable && geometry->width >= panelMinimumWidth &&
                geometry->width < 1000 && x.focus() == window)
                return window;
        }
    }
    return std::nullopt;
}

int open(int presses)
{
    Connection x;
    const auto icons = trayIcons(x);
    if (icons.empty())
        return 2;
    const auto icon = x.geometry(icons.back());
    const int iconX = icon->x + icon->width / 2;
    const int iconY = icon->y + icon->height / 2;
    std::vector<double> times;
    for (int press = 0; press < presses; ++press) {
        const auto start = Clock::now();
        x.click(iconX, iconY);
        while (Clock::now() - start < giveUpAfter && !visiblePanel(x))
            std::this_thread::sleep_for(pollInterval);
        times.push_back(millisecondsSince(start));
        x.click(iconX, iconY); // closes it again
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    printTimes("open_ms", times);
    return 0;
}

int hotkey(int presses)
{
    Connection x;
    if (visiblePanel(x)) {
        std::fprintf(stderr, "the panel is already open\n");
        return 2;
    }
    std::vector<double> times;
    for (int press = 0; press < presses; ++press) {
        const auto start = Clock::now();
        x.typeControlAlt(nKey);
        while (Clock::now() - start < giveUpAfter && !visiblePanel(x))
            std::this_thread::sleep_for(pollInterval);
        times.push_back(millisecondsSince(start));
        x.typeControlAlt(nKey); // closes it again
        const auto closing = Clock::now();
        while (Clock::now() - closing < giveUpAfter && visiblePanel(x))
            std::this_thread::sleep_for(pollInterval);
        std::this_thread::sleep_for(settleBetweenPresses);
    }
    printTimes("hotkey_open_ms", times);
    return 0;
}

// Wake-ups of every thread over the period: the sum first, then each thread that woke.
// A thread that ends within the period counts up to its last sample; one that starts counts
// from zero.
int idle(pid_t pid, int seconds)
{
    const auto before = threadSamples(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const auto after = threadSamples(pid);
    long total = 0;
    std::vector<std::string> lines;
    for (const auto& [id, sample] : after) {
        const auto earlier = before.find(id);
        const long woke =
            sample.switches - (earlier == before.end() ? 0 : earlier->second.switches);
        total += woke;
        if (woke > 0)
            lines.push_back("  " + sample.name + " (" + std::to_string(id) +
                            "): " + std::to_string(woke));
    }
    std::printf("wakeups %ld in %d s over %zu threads\n", total, seconds, after.size());
    for (const std::string& line : lines)
        std::printf("%s\n", line.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup" && argc > 2)
        return startup(argc - 2, argv + 2);
    if (mode == "open" && argc > 2)
        return open(std::atoi(argv[2]));
    if (mode == "hotkey" && argc > 2)
        return hotkey(std::atoi(argv[2]));
    if (mode == "idle" && argc > 3)
        return idle(pid_t(std::atoi(argv[2])), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: tray_probe startup <program> | open <presses> | hotkey <presses> "
                         "| idle <pid> <s>\n");
    return 2;
}
