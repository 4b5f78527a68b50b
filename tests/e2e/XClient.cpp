// SPDX-License-Identifier: GPL-3.0-or-later
// A second X client for the desktop tests, standing for "another program" on the same display:
//   grab          tries to grab F5 without modifiers on the root window; exit status 0 granted, 1 refused
//   hold          grabs F5, prints "granted" or "refused", then keeps the grab until it is killed
//   focus         opens a window of its own, gives it the input focus, prints "focused", then prints
//                 "key <keycode>" for every key press that reaches it until it is killed
//   watch         prints "ready", then counts windows created and mapped anywhere on the display until its
//                 standard input closes, and prints "created <n> mapped <m>"
//   tray          exit status 0 when a tray host owns the notification-area selection of the screen, 1 otherwise
//   maximize <id> asks the window manager to maximize the window, as a pager or a title bar button does
// Exit status 2: no display or bad arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>
#include <xcb/xcb.h>

namespace
{

constexpr xcb_keysym_t KeysymF5 = 0xFFC2;

xcb_keycode_t KeyCodeOf(xcb_connection_t *c, xcb_keysym_t keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t *mapping
        = xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, count), nullptr);
    if (!mapping)
        return 0;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping);
    xcb_keycode_t found = 0;
    for (int code = 0; code < count && !found; ++code)
        for (int column = 0; column < mapping->keysyms_per_keycode; ++column)
            if (keysyms[code * mapping->keysyms_per_keycode + column] == keysym)
                found = static_cast<xcb_keycode_t>(setup->min_keycode + code);
    std::free(mapping);
    return found;
}

bool GrabF5(xcb_connection_t *c, xcb_window_t root)
{
    xcb_keycode_t code = KeyCodeOf(c, KeysymF5);
    xcb_generic_error_t *error
        = xcb_request_check(c, xcb_grab_key_checked(c, 1, root, 0, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    bool granted = code != 0 && !error;
    std::free(error);
    return granted;
}

void Say(const std::string &line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

int Focus(xcb_connection_t *c, xcb_screen_t *screen)
{
    xcb_window_t window = xcb_generate_id(c);
    uint32_t values[] = { screen->white_pixel, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_STRUCTURE_NOTIFY };
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 100, 100, 300, 120, 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    const char title[] = "e2e-focus";
    xcb_change_property(
        c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof(title) - 1, title);
    xcb_map_window(c, window);
    xcb_flush(c);
    bool focused = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        int type = event->response_type & 0x7F;
        if (type == XCB_MAP_NOTIFY && !focused) {
            xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
            xcb_flush(c);
            focused = true;
            Say("focused " + std::to_string(window));
        } else if (type == XCB_KEY_PRESS) {
            Say("key " + std::to_string(reinterpret_cast<xcb_key_press_event_t *>(event)->detail));
        }
        std::free(event);
    }
    return 0;
}

int Watch(xcb_connection_t *c, xcb_screen_t *screen)
{
    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_get_input_focus_reply_t *sync = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    std::free(sync);
    Say("ready");
    int created = 0;
    int mapped = 0;
    pollfd fds[] = { { xcb_get_file_descriptor(c), POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            int type = event->response_type & 0x7F;
            created += type == XCB_CREATE_NOTIFY;
            mapped += type == XCB_MAP_NOTIFY;
            std::free(event);
        }
        if (::poll(fds, 2, -1) < 0)
            break;
        if (fds[1].revents) {
            char buffer[64];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                break;
        }
    }
    while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
        int type = event->response_type & 0x7F;
        created += type == XCB_CREATE_NOTIFY;
        mapped += type == XCB_MAP_NOTIFY;
        std::free(event);
    }
    Say("created " + std::to_string(created) + " mapped " + std::to_string(mapped));
    return 0;
}

} // namespace

static bool TrayHostPresent(xcb_connection_t *c, int screenNumber)
{
    std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber);
    xcb_intern_atom_reply_t *atom
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner
        = xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr);
    bool present = owner && owner->owner != XCB_NONE;
    free(owner);
    free(atom);
    return present;
}

xcb_atom_t Atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply
        = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

// A _NET_WM_STATE request to the root window: add both maximized states.
int Maximize(xcb_connection_t *c, xcb_screen_t *screen, xcb_window_t window)
{
    constexpr uint32_t Add = 1;
    constexpr uint32_t FromPager = 2;
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = Atom(c, "_NET_WM_STATE");
    message.data.data32[0] = Add;
    message.data.data32[1] = Atom(c, "_NET_WM_STATE_MAXIMIZED_VERT");
    message.data.data32[2] = Atom(c, "_NET_WM_STATE_MAXIMIZED_HORZ");
    message.data.data32[3] = FromPager;
    xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc != 2 && !(argc == 3 && std::string(argv[1]) == "maximize"))
        return 2;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    xcb_screen_t *screen = screens.data;

    std::string mode = argv[1];
    if (mode == "grab")
        return GrabF5(c, screen->root) ? 0 : 1;
    if (mode == "hold") {
        Say(GrabF5(c, screen->root) ? "granted" : "refused");
        for (;;)
            ::pause();
    }
    if (mode == "focus")
        return Focus(c, screen);
    if (mode == "watch")
        return Watch(c, screen);
    if (mode == "tray")
        return TrayHostPresent(c, screenNumber) ? 0 : 1;
    if (mode == "maximize")
        return Maximize(c, screen, static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0)));
    return 2;
}
