// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into a serial server whose serial device is a pty: the modem-line requests (TIOCMGET, TIOCMSET,
// TIOCMBIS, TIOCMBIC), which a pty refuses, succeed on a terminal against one set of lines kept here, the way a
// UART's DTR and RTS would. Every other request, and these on anything but a terminal, go to the real ioctl.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <unistd.h>

static int Lines = TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;

int ioctl(int fd, unsigned long request, ...)
{
    va_list args;
    va_start(args, request);
    void *argument = va_arg(args, void *);
    va_end(args);

    static int (*real)(int, unsigned long, ...);
    if (!real)
        real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    int result = real(fd, request, argument);
    if (result == 0 || (errno != ENOTTY && errno != EINVAL) || !isatty(fd))
        return result;
    int *value = (int *)argument;
    switch (request) {
    case TIOCMGET:
        *value = Lines;
        return 0;
    case TIOCMSET:
        Lines = *value;
        return 0;
    case TIOCMBIS:
        Lines |= *value;
        return 0;
    case TIOCMBIC:
        Lines &= ~*value;
        return 0;
    default:
        errno = ENOTTY;
        return result;
    }
}
