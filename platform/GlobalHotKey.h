// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <vector>

struct xcb_connection_t;

// A system-wide hot key: one key without modifier keys, grabbed on the root window of the X display so that it
// reaches this program wherever the focus is and while its windows are hidden. NumLock and CapsLock do not count as
// modifiers. Without X11 (offscreen, Wayland) or while another client holds the key the hot key is simply absent.
// Lives on the user-interface thread.
class TGlobalHotKey : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit TGlobalHotKey(QObject *parent = nullptr);
    ~TGlobalHotKey() override;

    // Grabs the key that produces `keysym` (an X keysym, e.g. 0xFFC2 for F5). True when the grab is ours; false
    // when there is no X11 display, no key produces the keysym or another client already grabbed it.
    bool Register(std::uint32_t keysym);
    // Releases the grab so that other clients can take the key; nothing happens when it is not registered.
    void Unregister();
    bool IsRegistered() const { return !FGrabbedModifiers.empty(); }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

    static constexpr std::uint32_t KeysymF5 = 0xFFC2;

signals:
    void Activated();

private:
    std::uint8_t KeyCodeOf(std::uint32_t keysym) const;
    std::uint16_t NumLockMask() const;
    bool Grab(std::uint16_t modifiers);
    void Ungrab(std::uint16_t modifiers);

    xcb_connection_t *FConnection = nullptr;
    std::vector<std::uint32_t> FRoots;
    std::uint8_t FKeyCode = 0;
    std::uint16_t FIgnoredModifiers = 0;
    std::vector<std::uint16_t> FGrabbedModifiers;
    bool FFilterInstalled = false;
};
