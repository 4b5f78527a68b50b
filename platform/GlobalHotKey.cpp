// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/GlobalHotKey.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace
{

struct TFree {
    void operator()(void *p) const { std::free(p); }
};

template <typename T> using TReply = std::unique_ptr<T, TFree>;

constexpr std::uint32_t KeysymNumLock = 0xFF7F;

xcb_connection_t *X11Connection()
{
    auto *app = qGuiApp;
    if (!app)
        return nullptr;
    auto *x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

TGlobalHotKey::TGlobalHotKey(QObject *parent)
    : QObject(parent)
{
}

TGlobalHotKey::~TGlobalHotKey()
{
    Unregister();
    if (FFilterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::uint8_t TGlobalHotKey::KeyCodeOf(std::uint32_t keysym) const
{
    const xcb_setup_t *setup = xcb_get_setup(FConnection);
    int first = setup->min_keycode;
    int count = setup->max_keycode - setup->min_keycode + 1;
    TReply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        FConnection, xcb_get_keyboard_mapping(FConnection, setup->min_keycode, count), nullptr));
    if (!mapping)
        return 0;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    int perCode = mapping->keysyms_per_keycode;
    for (int code = 0; code < count; ++code)
        for (int column = 0; column < perCode; ++column)
            if (keysyms[code * perCode + column] == keysym)
                return static_cast<std::uint8_t>(first + code);
    return 0;
}

std::uint16_t TGlobalHotKey::NumLockMask() const
{
    std::uint8_t numLock = KeyCodeOf(KeysymNumLock);
    TReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(FConnection, xcb_get_modifier_mapping(FConnection), nullptr));
    if (!mapping || numLock == 0)
        return XCB_MOD_MASK_2;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(mapping.get());
    int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int i = 0; i < perModifier; ++i)
            if (codes[modifier * perModifier + i] == numLock)
                return static_cast<std::uint16_t>(1u << modifier);
    return XCB_MOD_MASK_2;
}

bool TGlobalHotKey::Grab(std::uint16_t modifiers)
{
    bool granted = true;
    for (std::uint32_t root : FRoots) {
        xcb_void_cookie_t cookie
            = xcb_grab_key_checked(FConnection, 1, root, modifiers, FKeyCode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        TReply<xcb_generic_error_t> error(xcb_request_check(FConnection, cookie));
        if (error)
            granted = false; // BadAccess: another client holds this combination
    }
    return granted;
}

void TGlobalHotKey::Ungrab(std::uint16_t modifiers)
{
    for (std::uint32_t root : FRoots)
        xcb_ungrab_key(FConnection, FKeyCode, root, modifiers);
}

bool TGlobalHotKey::Register(std::uint32_t keysym)
{
    Unregister();
    FConnection = X11Connection();
    if (!FConnection)
        return false;
    FRoots.clear();
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(FConnection)); it.rem; xcb_screen_next(&it))
        FRoots.push_back(it.data->root);
    FKeyCode = KeyCodeOf(keysym);
    if (FKeyCode == 0 || FRoots.empty())
        return false;

    // The key alone must be ours; the same key with NumLock or CapsLock on is taken where it is free.
    std::uint16_t numLock = NumLockMask();
    FIgnoredModifiers = static_cast<std::uint16_t>(numLock | XCB_MOD_MASK_LOCK);
    const std::uint16_t combinations[]
        = { 0, XCB_MOD_MASK_LOCK, numLock, static_cast<std::uint16_t>(numLock | XCB_MOD_MASK_LOCK) };
    for (std::uint16_t modifiers : combinations) {
        if (Grab(modifiers)) {
            FGrabbedModifiers.push_back(modifiers);
        } else {
            Ungrab(modifiers);
            if (modifiers == 0)
                return false;
        }
    }
    xcb_flush(FConnection);
    if (!FFilterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        FFilterInstalled = true;
    }
    return true;
}

void TGlobalHotKey::Unregister()
{
    if (!FConnection || FGrabbedModifiers.empty())
        return;
    for (std::uint16_t modifiers : FGrabbedModifiers)
        Ungrab(modifiers);
    FGrabbedModifiers.clear();
    xcb_flush(FConnection);
}

bool TGlobalHotKey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (FGrabbedModifiers.empty() || eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
        return false;
    auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
    if (key->detail != FKeyCode || (key->state & ~FIgnoredModifiers & 0xFF) != 0)
        return false;
    for (std::uint32_t root : FRoots) {
        if (key->event == root) {
            emit Activated();
            return true;
        }
    }
    return false;
}
